#pragma once
// The parameter table as a fitter reads it, in Italian, English and Turkish:
// each parameter's meaning and unit, and for the parameters that hold a choice
// the text of each value, as the editors caption their options.

#include <array>
#include <span>
#include <string>

#include "core/language.h"

namespace kelvo6::link {

// Lambda sensor types 0..3 (parameters 3 and 50).
inline constexpr std::array<core::Text3, 4> kSensorTypeTexts{{
    {"DIRITTA 0-5V", "STRAIGHT 0-5V", "DUZ 0-5V"},
    {"INVERTITA 5-0V", "INVERTED 5-0V", "TERS 5-0V"},
    {"DIRITTA 0-1V", "STRAIGHT 0-1V", "DUZ 0-1V"},
    {"INVERTITA 1-0V", "INVERTED 1-0V", "TERS 1-0V"},
}};
// Fuel switch models 0..2 (parameter 58).
inline constexpr std::array<core::Text3, 3> kSwitchModelTexts{{
    {"DEVIATORE", "SWITCH", "ANAHTAR"},
    {"SWT 318", "SWT 318", "SWT 318"},
    {"SWT 627", "SWT 627", "SWT 627"},
}};
// Change-over while the engine speed rises (0) or falls (1) (parameter 59).
inline constexpr std::array<core::Text3, 2> kChangeOverTexts{{
    {"Accelerazione", "Acceleration", "Devir Yukselirken"},
    {"Decelerazione", "Deceleration", "Devir Duserken"},
}};
// Pressure sensor models 0..1 (parameter 57) and gas injector models 0..1 (parameter 33).
inline constexpr std::array<core::Text3, 2> kPressureSensorTexts{{
    {"PSR 270", "PSR 270", "PSR 270"},
    {"PSRX 540", "PSRX 540", "PSRX 540"},
}};
inline constexpr std::array<core::Text3, 2> kInjectorModelTexts{{
    {"PRISMO  ZFLO", "PRISMO  ZFLO", "PRISMO  ZFLO"},
    {"PRISMO  KR", "PRISMO  KR", "PRISMO  KR"},
}};

// Meaning and unit of parameter 1..62 in the language (1..3; others Italian).
// A parameter that holds a choice has no unit.
std::string paramMeaning(int number, int language);
std::string paramUnit(int number, int language);

// The texts of a choice parameter's values by value, or none for a parameter
// that holds a number.
std::span<const core::Text3> choiceTexts(int number);
// The value as the editors show it: a choice's text, or the number itself
// (also for a value outside the choice's range).
std::string paramValueText(int number, int value, int language);

}  // namespace kelvo6::link

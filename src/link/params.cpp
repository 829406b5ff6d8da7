#include "link/params.h"

#include <stdexcept>

namespace kelvo6::link {

namespace {

using K = FieldKind;
constexpr FieldRef none{};
constexpr FieldRef text(std::string_view w, std::string_view c) { return {w, K::kText, c, {}, {}}; }
constexpr FieldRef scroll(std::string_view w, std::string_view c) { return {w, K::kScroll, c, {}, {}}; }
constexpr FieldRef check(std::string_view w, std::string_view c) { return {w, K::kCheck, c, {}, {}}; }
constexpr FieldRef options(std::string_view w, std::array<std::string_view, 4> o,
                           std::array<std::string_view, 4> l) {
  return {w, K::kOptions, {}, o, l};
}

constexpr FieldRef kProbe1Options = options("Form6", {"Option1_0", "Option1_1", "Option1_2", "Option1_3"},
                                            {"Label6", "Label7", "Label10", "Label11"});
constexpr FieldRef kProbe2Options = options("Form6", {"Option2_0", "Option2_1", "Option2_2", "Option2_3"},
                                            {"Label16", "Label15", "Label14", "Label13"});

constexpr std::array<ParamInfo, 62> kTable{{
    {1, "number of gas injectors", "count", text("Form13", "Text2"), none},
    {2, "number of ignition coils", "count", text("Form13", "Text1"), none},
    {3, "lambda probe 1 sensor type", "0-3", kProbe1Options, none},
    {4, "lambda probe 1 lean threshold", "mV", text("Form6", "Text6"), none},
    {5, "lambda probe 1 rich threshold", "mV", text("Form6", "Text5"), none},
    {6, "lambda probe 1 emulation period", "ms", text("Form6", "Text4"), none},
    {7, "lambda probe 1 emulation rich duty cycle", "%", text("Form6", "Text10"), none},
    {8, "lambda probe 1 emulation lean duty cycle", "%", text("Form6", "Text9"), none},
    {9, "lambda probe 1 emulation cut-off duty cycle", "%", text("Form6", "Text11"), none},
    {10, "minimum temperature", "degC", text("Form13", "Text4"), none},
    {11, "maximum temperature", "degC", text("Form13", "Text5"), none},
    {12, "engine speed for the petrol-to-gas change-over", "rpm", text("Form11", "Text1"), none},
    {13, "change-over temperature", "degC", text("Form11", "Text4"), none},
    {14, "overlap time, gas to petrol", "ms", text("Form11", "Text2"), none},
    {15, "overlap time, petrol to gas", "ms", text("Form11", "Text3"), none},
    {16, "level threshold reserve to 1/3", "%", text("Form14", "Text3"), none},
    {17, "level threshold 1/3 to 2/3", "%", text("Form14", "Text4"), none},
    {18, "level threshold 2/3 to 3/3", "%", text("Form14", "Text5"), none},
    {19, "minimum level", "mV", text("Form14", "Text1"), none},
    {20, "maximum level", "mV", text("Form14", "Text2"), none},
    {21, "pressure corrective variation", "0-5", scroll("Form16", "VScroll4"), none},
    {22, "pressure corrective interval", "mbar", text("Form16", "Text10"), none},
    // The other-parameters window shows parameter 23 too.
    {23, "engine speed above which the pressure corrective acts", "rpm", text("Form16", "Text25"),
     text("Form13", "Text7")},
    {24, "lambda corrective maximum variation", "0-8", scroll("Form16", "VScroll2"), none},
    {25, "engine speed above which the lambda correction acts", "rpm", text("Form6", "Text3"),
     text("Form16", "Text24")},
    {26, "temperature corrective variation", "0-3", scroll("Form16", "VScroll3"), none},
    {27, "temperature corrective interval", "degC", text("Form16", "Text26"), none},
    {28, "calibration temperature", "degC", text("Form13", "Text6"), none},
    {29, "calibration pressure", "mbar", text("Form13", "Text3"), none},
    {30, "end-of-gas pressure", "mbar", text("Form11", "Text5"), none},
    {31, "engine speed threshold for entering cutoff", "rpm", text("Form10", "Text1"), none},
    {32, "injection-time threshold for entering cutoff", "msec", text("Form10", "Text2"), none},
    {33, "gas injector model", "0-1", options("Form13", {"Option5", "Option6"}, {"Label18", "Label15"}), none},
    {34, "RPM axis point 1", "rpm", text("Form16", "Text6_0"), none},
    {35, "RPM axis point 2", "rpm", text("Form16", "Text6_1"), none},
    {36, "RPM axis point 3", "rpm", text("Form16", "Text6_2"), none},
    {37, "RPM axis point 4", "rpm", text("Form16", "Text6_3"), none},
    {38, "RPM axis point 5", "rpm", text("Form16", "Text6_4"), none},
    {39, "RPM axis point 6", "rpm", text("Form16", "Text6_5"), none},
    {40, "RPM axis point 7", "rpm", text("Form16", "Text6_6"), none},
    {41, "RPM axis point 8", "rpm", text("Form16", "Text6_7"), none},
    {42, "TINJ axis point 1", "us", text("Form16", "Text6_8"), none},
    {43, "TINJ axis point 2", "us", text("Form16", "Text6_9"), none},
    {44, "TINJ axis point 3", "us", text("Form16", "Text6_10"), none},
    {45, "TINJ axis point 4", "us", text("Form16", "Text6_11"), none},
    {46, "TINJ axis point 5", "us", text("Form16", "Text6_12"), none},
    {47, "TINJ axis point 6", "us", text("Form16", "Text6_13"), none},
    {48, "TINJ axis point 7", "us", text("Form16", "Text6_14"), none},
    {49, "TINJ axis point 8", "us", text("Form16", "Text6_15"), none},
    {50, "lambda probe 2 sensor type", "0-3", kProbe2Options, none},
    {51, "lambda probe 2 lean threshold", "mV", text("Form6", "Text8"), none},
    {52, "lambda probe 2 rich threshold", "mV", text("Form6", "Text7"), none},
    {53, "lambda probe 2 emulation period", "ms", text("Form6", "Text12"), none},
    {54, "lambda probe 2 emulation rich duty cycle", "%", text("Form6", "Text14"), none},
    {55, "lambda probe 2 emulation lean duty cycle", "%", text("Form6", "Text13"), none},
    {56, "lambda probe 2 emulation cut-off duty cycle", "%", text("Form6", "Text15"), none},
    {57, "pressure sensor model", "0-1", options("Form13", {"Option3", "Option4"}, {"Label16", "Label17"}), none},
    {58, "fuel switch model", "0-2",
     options("Form11", {"Option5", "Option6", "Option7"}, {"Label19", "Label20", "Label21"}), none},
    {59, "change-over while the engine speed rises (0) or falls (1)", "0-1",
     options("Form11", {"Option3", "Option4"}, {"Label16", "Label17"}), none},
    {60, "start filter time", "ms", text("Form11", "Text6"), none},
    {61, "warm change-over allowed", "0-1", check("Form11", "Check1"), none},
    {62, "fuel type", "0 LPG, 1 CNG", options("Form2", {"Option1_0", "Option1_1"}, {"Label2", "Label5"}), none},
}};

constexpr bool tableIsInOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i)
    if (kTable[i].number != static_cast<int>(i) + 1) return false;
  return true;
}
static_assert(tableIsInOrder(), "parameter table rows must be numbered 1..62 in order");

}  // namespace

const std::array<ParamInfo, 62>& paramTable() { return kTable; }

const ParamInfo& paramInfo(int number) {
  if (!isParam(number)) throw std::out_of_range("parameter number outside 1..62");
  return kTable[static_cast<std::size_t>(number - 1)];
}

}  // namespace kelvo6::link

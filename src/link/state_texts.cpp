#include "link/state_texts.h"

#include <span>

namespace kelvo6::link {

namespace {

// What follows a text: nothing, or two blanks and a number taken from the
// change-over parameters.
enum class Suffix { kNone, kTemperature, kRpm, kRpmLess200 };

struct StateRow {
  int code;
  Suffix suffix;
  const char* it;
  const char* en;
  const char* tr;  // nullptr: the generation has no Turkish texts
};

constexpr StateRow kGeneration4[] = {
    {1, Suffix::kNone, "G->B ATTESA TEMPO SOVRAPPOSIZIONE", "G->P WAITING OVERLAP TIME",
     "G->B YAKIT DEGISIM SURESI BEKLENIYOR"},
    {2, Suffix::kTemperature, "B->G ATTESA TEMPERATURA", "P->G WAITING TEMPERATURE ABOVE THRESHOLD",
     "B->G YAKIT DEGISIM SICAKLIGI BEKLENIYOR"},
    {3, Suffix::kRpm, "B->G ATTESA GIRI MAGGIORI DI SOGLIA", "P->G WAITING RPM ABOVE THRESHOLD",
     "B->G YAKIT DEGISIM ICIN DEVRIN YUKSELMESI BEKLENIYOR"},
    {4, Suffix::kRpmLess200, "B->G ATTESA GIRI MINORI DI SOGLIA", "P->G WAITING RPM BELOW THRESHOLD",
     "B->G YAKIT DEGISIM ICIN DEVRIN DUSMESI BEKLENIYOR"},
    {5, Suffix::kNone, "B->G ATTESA TEMPO SOVRAPPOSIZIONE", "P->G WAITING OVERLAP TIME",
     "B->G YAKIT DEGISIM ZAMANI BEKLENIYOR"},
    {6, Suffix::kNone, "PARTENZA FORZATO GAS - EMERGENZA", "EMERGENCY GAS STARTING", "ZORUNLU-ACIL GAZ ILE CALISMA"},
    {7, Suffix::kNone, "SAFETY - NO GIRI", "SAFETY - NO RPM", "EMNIYET-DEVIR YOK"},
    {8, Suffix::kNone, "TINJ = 0 : CUTOFF", "CUTOFF BY TINJ = 0", "TINJ=0 - GAZ KESILDI"},
    {9, Suffix::kNone, "TINJ < SOGLIA : CUTOFF ", "CUTOFF BY TINJ UNDER THRESHOLD",
     "TINJ MINIMUM DEGERDEN KUCUK-GAZ KESILDI"},
    {10, Suffix::kNone, "INIETTORI APERTI", "INJECTORS OPEN", "ENJEKTORLER ACIK"},
    {12, Suffix::kNone, "ATTESA TEMPO INIZIALE", "WAITING INITIAL TIME FILTER",
     "B->G ICIN BASLANGIC DEVIR FILTRESI BEKLENIYOR"},
    {13, Suffix::kNone, "COMMUTAZIONE A BENZINA PER FINE GAS", "EMPTY TANK - SWITCHING TO PETROL",
     "TANK BOS - G->B YAKIT DEGISIMI YAPILIYOR"},
    {14, Suffix::kNone, "ATTESA ACCENSIONE MOTORE", "WAITING FOR ENGINE ON", " "},
    {20, Suffix::kNone, "ASSENZA SEGNALE GIRI", "RPM SIGNAL NOT PRESENT",
     "Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin"},
};

constexpr StateRow kGeneration5[] = {
    {2, Suffix::kNone, "G->B ATTESA TEMPO SOVRAPPOSIZIONE", "G->P WAITING OVERLAP TIME", nullptr},
    {3, Suffix::kTemperature, "B->G ATTESA TEMPERATURA", "P->G WAITING TEMPERATURE ABOVE THRESHOLD", nullptr},
    {4, Suffix::kNone, "ATTESA TEMPO INIZIALE", "WAITING INITIAL TIME FILTER", nullptr},
    {5, Suffix::kRpm, "B->G ATTESA GIRI MAGGIORI DI SOGLIA", "P->G WAITING RPM ABOVE THRESHOLD", nullptr},
    {6, Suffix::kRpmLess200, "B->G ATTESA GIRI MINORI DI SOGLIA", "P->G WAITING RPM BELOW THRESHOLD", nullptr},
    {7, Suffix::kNone, "B->G ATTESA TEMPO SOVRAPPOSIZIONE", "P->G WAITING OVERLAP TIME", nullptr},
    {8, Suffix::kNone, "ATTESA ACCENSIONE MOTORE", "WAITING FOR ENGINE ON", nullptr},
    {9, Suffix::kNone, "ATTESA PRESSIONE", "P->G WAITING PRESSURE ABOVE THRESHOLD", nullptr},
    {10, Suffix::kNone, "PARTENZA FORZATO GAS - EMERGENZA", "EMERGENCY GAS STARTING", nullptr},
    {11, Suffix::kNone, "SAFETY - NO GIRI", "SAFETY - NO RPM", nullptr},
    {12, Suffix::kNone, "TINJ = 0 : CUTOFF", "CUTOFF BY TINJ = 0", nullptr},
    {13, Suffix::kNone, "RICHIESTA PARTENZA FORZATO GAS - EMERGENZA", "EMERGENCY GAS STARTING REQUIRED", nullptr},
    {14, Suffix::kNone, "COMMUTAZIONE A BENZINA PER FINE GAS", "EMPTY TANK - SWITCHING TO PETROL", nullptr},
    {15, Suffix::kNone, "COMMUTAZIONE B->G NON PERMESSA - FINE GAS", "SWITCHING P->G NOT ALLOWED - EMPTY TANK",
     nullptr},
};

std::span<const StateRow> tableFor(int versionMiddle) {
  if (versionMiddle == 4) return kGeneration4;
  if (versionMiddle == 5) return kGeneration5;
  return {};
}

const char* column(const StateRow& row, int language) {
  switch (language) {
    case 1: return row.it;
    case 2: return row.en;
    case 3: return row.tr;
    default: return nullptr;
  }
}

// Whether the generation has a column for the language at all.
bool hasColumn(std::span<const StateRow> table, int language) {
  return !table.empty() && column(table.front(), language) != nullptr;
}

}  // namespace

std::optional<std::string> stateText(int code, int language, int versionMiddle, int switchRpm,
                                     int switchTemperature) {
  std::span<const StateRow> table = tableFor(versionMiddle);
  if (!hasColumn(table, language)) return std::nullopt;
  for (const StateRow& row : table) {
    if (row.code != code) continue;
    std::string text = column(row, language);
    switch (row.suffix) {
      case Suffix::kNone: break;
      case Suffix::kTemperature: text += "  " + std::to_string(switchTemperature); break;
      case Suffix::kRpm: text += "  " + std::to_string(switchRpm); break;
      case Suffix::kRpmLess200: text += "  " + std::to_string(switchRpm - 200); break;
    }
    return text;
  }
  return std::string(" ");
}

}  // namespace kelvo6::link

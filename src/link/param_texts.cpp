#include "link/param_texts.h"

#include "link/params.h"

namespace kelvo6::link {

namespace {

using core::Text3;

struct ParamText {
  Text3 meaning;
  Text3 unit;
};

constexpr Text3 kCount{"numero", "count", "adet"};
constexpr Text3 kRpm{"rpm", "rpm", "rpm"};
constexpr Text3 kMv{"mV", "mV", "mV"};
constexpr Text3 kMs{"ms", "ms", "ms"};
constexpr Text3 kPercent{"%", "%", "%"};
constexpr Text3 kCelsius{"\u00b0C", "\u00b0C", "\u00b0C"};
constexpr Text3 kMbar{"mbar", "mbar", "mbar"};
constexpr Text3 kMicroseconds{"\u00b5s", "\u00b5s", "\u00b5s"};
constexpr Text3 kChoice{"", "", ""};
constexpr Text3 kSteps5{"0-5", "0-5", "0-5"};
constexpr Text3 kSteps8{"0-8", "0-8", "0-8"};
constexpr Text3 kSteps3{"0-3", "0-3", "0-3"};

constexpr Text3 kWarmChangeOver[] = {{"No", "No", "Hayir"}, {"S\u00ec", "Yes", "Evet"}};
constexpr Text3 kFuelTypes[] = {{"GPL", "LPG", "LPG"}, {"METANO", "CNG", "CNG"}};

constexpr std::array<ParamText, 62> kTexts{{
    {{"numero di iniettori gas", "number of gas injectors", "gaz enjektor sayisi"}, kCount},
    {{"numero di bobine", "number of ignition coils", "bobin sayisi"}, kCount},
    {{"sonda lambda 1, tipo sensore", "lambda probe 1 sensor type", "lambda sensoru 1 tipi"}, kChoice},
    {{"sonda lambda 1, soglia magro", "lambda probe 1 lean threshold", "lambda sensoru 1 fakir karisim esigi"}, kMv},
    {{"sonda lambda 1, soglia ricco", "lambda probe 1 rich threshold", "lambda sensoru 1 zengin karisim esigi"}, kMv},
    {{"sonda lambda 1, periodo emulazione", "lambda probe 1 emulation period", "lambda sensoru 1 emulasyon periyodu"},
     kMs},
    {{"sonda lambda 1, duty cycle ricca", "lambda probe 1 emulation rich duty cycle",
      "lambda sensoru 1 emulasyon zengin duty cycle"},
     kPercent},
    {{"sonda lambda 1, duty cycle magra", "lambda probe 1 emulation lean duty cycle",
      "lambda sensoru 1 emulasyon fakir duty cycle"},
     kPercent},
    {{"sonda lambda 1, duty cycle cut off", "lambda probe 1 emulation cut-off duty cycle",
      "lambda sensoru 1 emulasyon gaz kesme duty cycle"},
     kPercent},
    {{"temperatura minima", "minimum temperature", "minimum sicaklik"}, kCelsius},
    {{"temperatura massima", "maximum temperature", "maksimum sicaklik"}, kCelsius},
    {{"giri commutazione benzina-gas", "engine speed for the petrol-to-gas change-over",
      "benzinden gaza yakit degisim devri"},
     kRpm},
    {{"temperatura commutazione", "change-over temperature", "yakit degisim sicakligi"}, kCelsius},
    {{"tempo sovrapposizione gas-benzina", "overlap time, gas to petrol", "gazdan benzine yakit degisim suresi"}, kMs},
    {{"tempo sovrapposizione benzina-gas", "overlap time, petrol to gas", "benzinden gaza yakit degisim suresi"}, kMs},
    {{"soglia livello riserva-1/3", "level threshold reserve to 1/3", "seviye esigi rezerv - 1/3"}, kPercent},
    {{"soglia livello 1/3-2/3", "level threshold 1/3 to 2/3", "seviye esigi 1/3 - 2/3"}, kPercent},
    {{"soglia livello 2/3-3/3", "level threshold 2/3 to 3/3", "seviye esigi 2/3 - 3/3"}, kPercent},
    {{"livello minimo", "minimum level", "minimum seviye"}, kMv},
    {{"livello massimo", "maximum level", "maksimum seviye"}, kMv},
    {{"variazione correttivo pressione", "pressure corrective variation", "basinc duzeltme degisimi"}, kSteps5},
    {{"intervallo correttivo pressione", "pressure corrective interval", "basinc duzeltme araligi"}, kMbar},
    {{"soglia giri correttivo pressione", "engine speed above which the pressure corrective acts",
      "basinc duzeltmenin aktif oldugu devir"},
     kRpm},
    {{"variazione massima correttivo lambda", "lambda corrective maximum variation",
      "lambda duzeltme maksimum degisimi"},
     kSteps8},
    {{"soglia giri correzione lambda", "engine speed above which the lambda correction acts",
      "lambda duzeltmenin aktif oldugu devir"},
     kRpm},
    {{"variazione correttivo temperatura", "temperature corrective variation", "sicaklik duzeltme degisimi"},
     kSteps3},
    {{"intervallo correttivo temperatura", "temperature corrective interval", "sicaklik duzeltme araligi"}, kCelsius},
    {{"temperatura di taratura", "calibration temperature", "kalibrasyon sicakligi"}, kCelsius},
    {{"pressione di taratura", "calibration pressure", "kalibrasyon basinci"}, kMbar},
    {{"pressione fine gas", "end-of-gas pressure", "gaz bittiginde basinc degeri"}, kMbar},
    {{"soglia giri ingresso in cutoff", "engine speed threshold for entering cutoff",
      "gaz kesme icin minimum devir"},
     kRpm},
    {{"soglia TINJ ingresso in cutoff", "injection-time threshold for entering cutoff",
      "gaz kesme icin minimum enjeksiyon suresi"},
     {"msec", "msec", "msec"}},
    {{"modello iniettore gas", "gas injector model", "gaz enjektor modeli"}, kChoice},
    {{"asse RPM, punto 1", "RPM axis point 1", "RPM ekseni, nokta 1"}, kRpm},
    {{"asse RPM, punto 2", "RPM axis point 2", "RPM ekseni, nokta 2"}, kRpm},
    {{"asse RPM, punto 3", "RPM axis point 3", "RPM ekseni, nokta 3"}, kRpm},
    {{"asse RPM, punto 4", "RPM axis point 4", "RPM ekseni, nokta 4"}, kRpm},
    {{"asse RPM, punto 5", "RPM axis point 5", "RPM ekseni, nokta 5"}, kRpm},
    {{"asse RPM, punto 6", "RPM axis point 6", "RPM ekseni, nokta 6"}, kRpm},
    {{"asse RPM, punto 7", "RPM axis point 7", "RPM ekseni, nokta 7"}, kRpm},
    {{"asse RPM, punto 8", "RPM axis point 8", "RPM ekseni, nokta 8"}, kRpm},
    {{"asse TINJ, punto 1", "TINJ axis point 1", "TINJ ekseni, nokta 1"}, kMicroseconds},
    {{"asse TINJ, punto 2", "TINJ axis point 2", "TINJ ekseni, nokta 2"}, kMicroseconds},
    {{"asse TINJ, punto 3", "TINJ axis point 3", "TINJ ekseni, nokta 3"}, kMicroseconds},
    {{"asse TINJ, punto 4", "TINJ axis point 4", "TINJ ekseni, nokta 4"}, kMicroseconds},
    {{"asse TINJ, punto 5", "TINJ axis point 5", "TINJ ekseni, nokta 5"}, kMicroseconds},
    {{"asse TINJ, punto 6", "TINJ axis point 6", "TINJ ekseni, nokta 6"}, kMicroseconds},
    {{"asse TINJ, punto 7", "TINJ axis point 7", "TINJ ekseni, nokta 7"}, kMicroseconds},
    {{"asse TINJ, punto 8", "TINJ axis point 8", "TINJ ekseni, nokta 8"}, kMicroseconds},
    {{"sonda lambda 2, tipo sensore", "lambda probe 2 sensor type", "lambda sensoru 2 tipi"}, kChoice},
    {{"sonda lambda 2, soglia magro", "lambda probe 2 lean threshold", "lambda sensoru 2 fakir karisim esigi"}, kMv},
    {{"sonda lambda 2, soglia ricco", "lambda probe 2 rich threshold", "lambda sensoru 2 zengin karisim esigi"}, kMv},
    {{"sonda lambda 2, periodo emulazione", "lambda probe 2 emulation period", "lambda sensoru 2 emulasyon periyodu"},
     kMs},
    {{"sonda lambda 2, duty cycle ricca", "lambda probe 2 emulation rich duty cycle",
      "lambda sensoru 2 emulasyon zengin duty cycle"},
     kPercent},
    {{"sonda lambda 2, duty cycle magra", "lambda probe 2 emulation lean duty cycle",
      "lambda sensoru 2 emulasyon fakir duty cycle"},
     kPercent},
    {{"sonda lambda 2, duty cycle cut off", "lambda probe 2 emulation cut-off duty cycle",
      "lambda sensoru 2 emulasyon gaz kesme duty cycle"},
     kPercent},
    {{"sensore pressione", "pressure sensor model", "basinc sensoru modeli"}, kChoice},
    {{"tipo commutatore", "fuel switch model", "anahtar tipi"}, kChoice},
    {{"commutazione in accelerazione o decelerazione", "change-over while the engine speed rises or falls",
      "devir yukselirken veya duserken yakit degisimi"},
     kChoice},
    {{"filtro partenza", "start filter time", "yakit degisim filtre suresi"}, kMs},
    {{"commutazione a caldo", "warm change-over allowed", "sicaklikla yakit degisimi"}, kChoice},
    {{"tipo di carburante", "fuel type", "yakit tipi"}, kChoice},
}};

struct ChoiceRow {
  int number;
  std::span<const Text3> values;
};
const ChoiceRow kChoices[] = {
    {param::kProbe1Type, kSensorTypeTexts},      {param::kProbe2Type, kSensorTypeTexts},
    {param::kInjectorModel, kInjectorModelTexts}, {param::kPressureSensorModel, kPressureSensorTexts},
    {param::kSwitchModel, kSwitchModelTexts},    {59, kChangeOverTexts},
    {61, kWarmChangeOver},                       {param::kFuelType, kFuelTypes},
};

const ParamText* textOf(int number) {
  return isParam(number) ? &kTexts[static_cast<std::size_t>(number - 1)] : nullptr;
}

}  // namespace

std::string paramMeaning(int number, int language) {
  const ParamText* t = textOf(number);
  return t ? core::pickOr(t->meaning, language) : std::string();
}

std::string paramUnit(int number, int language) {
  const ParamText* t = textOf(number);
  return t ? core::pickOr(t->unit, language) : std::string();
}

std::span<const core::Text3> choiceTexts(int number) {
  for (const ChoiceRow& c : kChoices)
    if (c.number == number) return c.values;
  return {};
}

std::string paramValueText(int number, int value, int language) {
  std::span<const Text3> choices = choiceTexts(number);
  if (value >= 0 && value < static_cast<int>(choices.size()))
    return core::pickOr(choices[static_cast<std::size_t>(value)], language);
  return std::to_string(value);
}

}  // namespace kelvo6::link

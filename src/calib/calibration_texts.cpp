#include "calib/calibration_texts.h"

#include <array>

namespace kelvo6::calib {

namespace {

using core::Text3;

constexpr app::ControlText kCaptions[] = {
    {"LabelRpm", {"RPM", "RPM", "RPM"}},
    {"LabelTinj", {"TINJ", "TINJ", "TINJ"}},
    {"Label_Text1", {"Lambda1 mV", "Oxygen sensor1 mV", "LAMBDA-1 mV"}},
    {"Label_Text2", {"Media L1 mV", "Avg OS1 mV", "LAMBDA-1 Ort mV"}},
    {"Label_Text18", {"Lambda2 mV", "Oxygen sensor2 mV", "LAMBDA-2 mV"}},
    {"Label_Text17", {"Media L2 mV", "Avg OS2 mV", "LAMBDA-2 Ort mV"}},
    {"Label_Text3", {"Tinj usec", "Tinj usec", "Tinj Suresi"}},
    {"Label_Text12", {"Tinj Benzina usec", "Tinj Petrol usec", "Tinj Benzin usec"}},
    {"Label_Text5", {"RPM xmin", "RPM xmin", "DEVIR xdk"}},
    {"Label_Text7", {"Pressione1 mbar", "Pressure1 mbar", "Basinc-1 mBar"}},
    {"Label_Text16", {"Pressione2 mbar", "Pressure2 mbar", "Basinc-2 mBar"}},
    {"Label_Text22", {"Temperatura1 \xC2\xB0" "C", "Temperature1 \xC2\xB0" "C", "Sicaklik-1 \xC2\xB0" "C"}},
    {"Label_Text21", {"Temperatura2 \xC2\xB0" "C", "Temperature2 \xC2\xB0" "C", "Sicaklik-2 \xC2\xB0" "C"}},
    {"Label_Text14", {"KGB IN USO", "KGB being used", "Aktif KGB Degeri"}},
    {"Label_Text11", {"KGB TARATURA", "KGB calibration", "KGB Kalibrasyon"}},
    {"Label4", {"NUMERO BOBINE", "NUMBER OF COILS", "BOBIN SAYISI"}},
    {"Label6", {"MAGRA", "LEAN", "FAKIR"}},
    {"Label29", {"RICCA", "RICH", "ZENGIN"}},
    // Correctives.
    {"FrameLambda", {"Correttivo Lambda", "Oxygen sensor Corrective Value", "LAMBDA Duzeltme Degerleri"}},
    {"FrameTemperature", {"Correttivo Temperatura", "Temperature Corrective Value", "Sicaklik Duzeltme Degerleri"}},
    {"FramePressure", {"Correttivo Pressione", "Pressure Corrective Value", "Basinc Duzeltme Degerleri"}},
    {"Label_Text20", {"Massima variazione", "Maximum variation", "Maksimum Degisim Miktari"}},
    {"Label_Text24", {"Soglia giri inserimento", "RPM threshold to activate", "Aktif Olma Devri"}},
    {"Label_Text19", {"Variazione", "Variation", "Degisim Degeri"}},
    {"Label_Text26", {"Differenziale temperatura", "Temperature range", "Sicaklik Farki"}},
    {"Label_Text27", {"Valore correzione", "Corrective value", "Duzeltme Degeri"}},
    {"Label_Text23", {"Variazione", "Variation", "Degisim Degeri"}},
    {"Label_Text10", {"Intervallo pressione", "Pressure range", "Basinc Farki"}},
    {"Label_Text25", {"Soglia giri inserimento", "RPM threshold to activate", "Aktif Olma Devri"}},
    {"Label_Text13", {"Valore correzione", "Corrective value", "Duzeltme Degeri"}},
    // Buttons.
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
    {"Command2", {"COMMUTA", "SWITCH", "YAKIT DEGISTIR"}},
    {"Command3", {"OK", "OK", "TAMAM"}},
    {"Command5", {"Visualizzazione grafica", "Graphical visualization", "Grafik Gosterim"}},
    {"Command7", {"MODIFICA", "MODIFY", "KAYDET"}},
    {"Command8", {"TARATURA AUTOMATICA", "AUTOMATIC CALIBRATION", "OTOMATIK KALIBRASYON"}},
    {"Command11", {"IMPOSTA TUTTA TABELLA", "SET VAL ALL TABLE", "KGB GEGERINI TABLAYA YUKLE"}},
    {"Command12", {"TARATURA MULTIPUNTO", "MULTI-POINT CALIBRATION", "COK NOKTALI KALIBRASYON"}},
};

constexpr Text3 kGuided[5] = {
    {"VISUALIZZA CORRETTIVI", "DISPLAY CORRECTIVE VALUES", "GECERLI DEGERLERI GOSTER"},
    {"TARATURA GIRI COMMUTAZIONE", "CALIBRATION SWITCHING RPM", "KALIBRASYON YANIT DEGISIM DEVRI"},
    {"MEMORIZZA PRESSIONE DI TARATURA", "STORE CALIBRATION PRESSURE", "KALIBRASYON BASINCINI YUKLE"},
    {"MEMORIZZA TEMPERATURA DI TARATURA", "STORE CALIBRATION TEMPERATURE", "KALIBRASYON SICAKLIGINI YUKLE"},
    {"TARATURA BOBINE E INIETTORI", "CALIBRATION OF COIL AND INJECTORS", "BOBIN VE ENJEKTOR KALIBRASYONU"},
};

// Operating state texts of the calibration live block; a null entry has no text.
struct StateText {
  int code;
  Text3 text;
};
constexpr StateText kStateTexts[] = {
    {1, {"G->B ATTESA TEMPO SOVRAPPOSIZIONE", "G->P WAITING OVERLAP TIME", "G->B YAKIT DEGISIM SURESI BEKLENIYOR"}},
    {2, {"B->G ATTESA TEMPERATURA", "P->G WAITING TEMPERATURE ABOVE THRESHOLD", "B->G YAKIT DEGISIM SICAKLIGI BEKLENIYOR"}},
    {3, {"B->G ATTESA GIRI MAGGIORI DI SOGLIA", "P->G WAITING RPM ABOVE THRESHOLD",
         "B->G YAKIT DEGISIM ICIN DEVRIN YUKSELMESI BEKLENIYOR"}},
    {4, {"B->G ATTESA GIRI MINORI DI SOGLIA", "P->G WAITING RPM BELOW THRESHOLD",
         "B->G YAKIT DEGISIM ICIN DEVRIN DUSMESI BEKLENIYOR"}},
    {5, {"B->G ATTESA TEMPO SOVRAPPOSIZIONE", "P->G WAITING OVERLAP TIME", "B->G YAKIT DEGISIM ZAMANI BEKLENIYOR"}},
    {6, {"PARTENZA FORZATO GAS - EMERGENZA", "START WITH GAS FORCED - EMERGENCY", "ZORUNLU-ACIL GAZ ILE CALISMA"}},
    {7, {"SAFETY - NO GIRI", "SAFETY - NO RPM", "EMNIYET-DEVIR YOK"}},
    {8, {"TINJ = 0 : CUTOFF", "CUTOFF BY TINJ = 0", "TINJ=0 - GAZ KESILDI"}},
    {9, {"TINJ < SOGLIA : CUTOFF ", "CUTOFF BY TINJ < THRESHOLD", "TINJ MINIMUM DEGERDEN KUCUK-GAZ KESILDI"}},
    {10, {"INIETTORI APERTI", "INJECTORS OPEN", "ENJEKTORLER ACIK"}},
    {12, {"B->G ATTESA FILTRO GIRI INIZIALE", "P->G WAITING INITIAL RPM FILTER",
          "B->G ICIN BASLANGIC DEVIR FILTRESI BEKLENIYOR"}},
    {13, {"COMMUTAZIONE A BENZINA PER FINE GAS", "EMPTY TANK - SWITCHING TO PETROL",
          "TANK BOS - G->B YAKIT DEGISIMI YAPILIYOR"}},
    {20, {"ASSENZA SEGNALE GIRI", nullptr, "Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin"}},
};

constexpr Text3 kPromptStoreRpm{
    "Portare la vettura alla soglia giri desiderata per la commutazione e premere MODIFICA",
    "Lead the vehicle to the RPM threshold required for switching and press MODIFY",
    "Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin"};
constexpr Text3 kPromptStoreValue{"Premere MODIFICA quando pronti", "Press MODIFY when ready",
                                  "Hazir Oldugunda TAMAM'i Tiklayin"};
constexpr Text3 kPromptCoilCount{"Premere OK quando giri corretti", "Press OK when RPM correct",
                                 "Istenilen Devire Getirdiginidze TAMAM's Tiklayin"};
constexpr Text3 kPromptCoilStore{"Premere MODIFICA per memorizzare Premere EXIT altrimenti",
                                 "Press MODIFY to store otherwise press EXIT",
                                 "Degerleri Saklamak icin KAYDET'i, Cikmak icin CIKIS'i Tiklayin"};

}  // namespace

const Text3 kTitleConnected{"KELVO6 - Taratura vettura", "KELVO6 - Calibration Vehicle", "KELVO6 - Arac Kalibrasyonu"};
const Text3 kTitleNotConnected{"KELVO6 - Taratura vettura Non connesso", "KELVO6 - Calibration Vehicle Not connected",
                               "KELVO6 - Arac Kalibrasyonu  Iletisin Yok"};
const Text3 kGasTimeLpg{"Tinj Gas usec", "Tinj LPG usec", "Tinj LPG usec"};
const Text3 kGasTimeCng{"Tinj Gas usec", "Tinj CNG usec", "Tinj CNG usec"};
const Text3 kLambdaButton[2] = {{"Lambda1", "Ox Sens1", "Lambda-1"}, {"Lambda2", "Ox Sens2", "Lambda-2"}};
const Text3 kCalibrationToggleOff{"TARATURA NON ATTIVA", "CALIBRATION NOT ACTIVE", "KALIBRASYON AKTIF DEGIL"};
const Text3 kCoilCountMovedPrompt{"Premere OK quando giri corretti", "Press OK when RPM correct",
                                  "Istenilen Devir Olustugunda TAMAM's Tiklayin"};

const Text3 kRefusedEmpty{"Valore mancante nel campo evidenziato: nulla e' stato inviato",
                          "A highlighted field is empty: nothing was sent",
                          "Isaretli alan bos: hicbir sey gonderilmedi"};
const Text3 kRefusedNotANumber{"Il campo evidenziato non contiene un numero: nulla e' stato inviato",
                               "A highlighted field does not hold a number: nothing was sent",
                               "Isaretli alanda sayi yok: hicbir sey gonderilmedi"};
const Text3 kRefusedTrialKgb{"KGB TARATURA fuori campo 100-115: nulla e' stato inviato",
                             "KGB calibration outside 100-115: nothing was sent",
                             "KGB Kalibrasyon 100-115 disinda: hicbir sey gonderilmedi"};
const Text3 kRefusedOutOfRange{"Valore fuori campo nel campo evidenziato: nulla e' stato inviato",
                               "A highlighted field holds a value out of range: nothing was sent",
                               "Isaretli alandaki deger aralik disinda: hicbir sey gonderilmedi"};

std::span<const app::ControlText> calibrationCaptions() { return kCaptions; }

const Text3& guidedFunctionCaption(int function) {
  if (function < 1 || function > 5) function = 1;
  return kGuided[function - 1];
}

std::optional<std::string> stateMessage(int code, int language, int switchTemperature, int switchRpm) {
  for (const StateText& s : kStateTexts) {
    if (s.code != code) continue;
    const char* text = core::pick(s.text, language);
    if (!text) text = language >= 1 && language <= 3 ? nullptr : s.text.it;
    if (!text) return std::nullopt;
    std::string out = text;
    if (code == 2) out += "  " + std::to_string(switchTemperature);
    if (code == 3) out += "  " + std::to_string(switchRpm);
    if (code == 4) out += "  " + std::to_string(switchRpm - 200);
    return out;
  }
  return std::nullopt;
}

std::string promptText(Prompt prompt, int language) {
  switch (prompt) {
    case Prompt::kStoreRpm: return core::pickOr(kPromptStoreRpm, language);
    case Prompt::kStoreValue: return core::pickOr(kPromptStoreValue, language);
    case Prompt::kCoilCount: return core::pickOr(kPromptCoilCount, language);
    case Prompt::kCoilStore: return core::pickOr(kPromptCoilStore, language);
    case Prompt::kNone: break;
  }
  return " ";
}

}  // namespace kelvo6::calib

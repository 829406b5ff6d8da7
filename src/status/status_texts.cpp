#include "status/status_texts.h"

namespace kelvo6::status {

namespace {

constexpr app::ControlText kCaptions[] = {
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
    {"Command2", {"Commuta", "Switch", "Calisma Yakitini Degistir"}},
    {"Label10", {"x min", "x min", "x dk"}},
    {"Label11", {"Benzina", "Petrol", "Benzin"}},
    {"Frame1", {"Tempo di iniezione usec", "Injection time usec", "Enjeksiyon Suresi"}},
    {"Label28", {"MAGRA", "LEAN", "FAKIR"}},
    {"Label6", {"MAGRA", "LEAN", "FAKIR"}},
    {"Label29", {"RICCA", "RICH", "ZENGIN"}},
    {"Label7", {"RICCA", "RICH", "ZENGIN"}},
    {"Frame3", {"Temperatura °C", "Temperature °C", "Sicaklik °C"}},
    {"Frame4", {"Livello mV", "Level mV", "Gaz Seviyesi mV"}},
    {"Frame5", {"Media mV", "Avg mV", "Lambda Ort mV"}},
    {"Frame6", {"KGBCOR", "KGBCOR", "KGBDegeri"}},
    {"Frame7", {"Pressione mbar", "Pressure mbar", "Basinc mBar"}},
    {"Frame9", {"KGBTAB", "KGBTAB", "KGBTablo"}},
    {"Frame10", {"Temperatura2 °C", "Temperature2 °C", "Sicaklik-2 °C"}},
    {"Frame11", {"Pressione2 mbar", "Pressure2 mbar", "Basinc-2 mBar"}},
    {"Frame12", {"Media2 mV", "Avg2 mV", "Lambda-2 Ort mV"}},
};

constexpr core::Text3 kLambda1Captions[] = {
    {"Lambda - 0-5V Diritta mV", "OXYGEN sensor - 0-5V Straight mV", "Lambda - 0-5V Duz"},
    {"Lambda - 5-0V Invertita mV", "OXYGEN sensor - 5-0V Inverted mV", "Lambda - 5-0V Ters"},
    {"Lambda - 0-1V Diritta mV", "OXYGEN sensor - 0-1V Straight mV", "Lambda - 0-1V Duz"},
    {"Lambda - 1-0V Invertita mV", "OXYGEN sensor - 1-0V Inverted mV", "Lambda - 1-0V Ters"},
};
constexpr core::Text3 kLambda2Captions[] = {
    {"Lambda2 - 0-5V Diritta mV", "OXYGEN sensor2 - 0-5V Straight mV", "Lambda-2 - 0-5V Duz"},
    {"Lambda2 - 5-0V Invertita mV", "OXYGEN sensor2 - 5-0V Inverted mV", "Lambda-2 - 5-0V Ters"},
    {"Lambda2 - 0-1V Diritta mV", "OXYGEN sensor2 - 0-1V Straight mV", "Lambda-2 - 0-1V Duz"},
    {"Lambda2 - 1-0V Invertita mV", "OXYGEN sensor2 - 1-0V Inverted mV", "Lambda-2 - 1-0V Ters"},
};

}  // namespace

const core::Text3 kTitleConnected{"KELVO6 - Visualizza stato vettura", "KELVO6 - Display status of vehicle ",
                                  "KELVO6 - Aracin Genel Durumu"};
const core::Text3 kTitleNotConnected{"KELVO6 - Visualizza stato vettura Non Connesso",
                                     "KELVO6 - Display status of vehicle Not connected",
                                     "KELVO6 - Aracin Genel Durumu  Iletisim Yok"};
const core::Text3 kGasLpg{"GPL", "LPG", "LPG"};
const core::Text3 kGasCng{"METANO", "CNG", "CNG"};
const core::Text3 kLinkLost{"COMUNICAZIONE INTERROTTA - CHIUDO FINESTRA DI VISUALIZZAZIONE",
                            "COMMUNICATION LOST - WINDOW OF VISUALIZATION WILL BE CLOSED",
                            "ILETISIM KESILDI - PENCERE KAPATILIYOR"};

std::span<const app::ControlText> captions() { return kCaptions; }

const core::Text3* lambdaCaption(int probe, int sensorType) {
  if (sensorType < 0 || sensorType > 3) return nullptr;
  return probe == 2 ? &kLambda2Captions[sensorType] : &kLambda1Captions[sensorType];
}

}  // namespace kelvo6::status

#include "calib/multipoint_texts.h"

namespace kelvo6::calib {

namespace {

constexpr app::ControlText kCaptions[] = {
    {"title", {"KELVO6 - Taratura multipunto", "KELVO6 - Multi-point calibration", "KELVO6 - Cok noktali kalibrasyon"}},
    {"LabelCurrent", {"Tabella attuale della centralina", "ECU's current table", "ECU'nun mevcut tablosu"}},
    {"LabelProposed", {"Tabella proposta", "Proposed table", "Onerilen tablo"}},
    {"LabelCovered", {"coperto da un punto", "holds a measured point", "olculen nokta iceriyor"}},
    {"LabelHigher", {"sopra la centralina", "above the ECU's value", "ECU degerinden yuksek"}},
    {"LabelLower", {"sotto la centralina", "below the ECU's value", "ECU degerinden dusuk"}},
    {"LabelMeasured", {"misurato", "measured", "olculen"}},
    {"LabelAtLimit", {"al limite", "at a limit", "sinirda"}},
    {"LabelExtrapolated", {"estrapolato", "extrapolated", "tahmini"}},
    {"Label_Text1", {"RPM", "RPM", "DEVIR"}},
    {"Label_Text2", {"TInj usec", "Tinj usec", "Tinj usec"}},
    {"Label_Text3", {"Tinj Benzina usec", "Tinj Petrol usec", "Benzin Tinj Suresi"}},
    {"Label_Text5", {"KGB TARATURA", "KGB calibration", "KGB Kalibrasyon"}},
    {"Label_Text7", {"KGB IN USO", "KGB being used", "Aktif KGB Degeri"}},
    {"Label_Text8", {"Cicli del punto", "Cycles of the point", "Noktanin dongu sayisi"}},
    {"Label7", {"GIRI STABILI", "STABLE RPM", "Sabit Devir"}},
    {"Label9", {"TINJ STABILI", "STABLE INJECTION TIME", "Sabit Enjektor Suresi"}},
    {"Label16", {"Intervallo TINJ stabili", "Range of stable TINJ", "Sabit Tinj Araligi"}},
    {"LabelPoints", {"Punti accettati", "Accepted points", "Kabul edilen noktalar"}},
    {"Command2", {"MISURA PUNTO", "MEASURE POINT", "NOKTAYI OLC"}},
    {"Command3", {"ACCETTA PUNTO", "ACCEPT POINT", "NOKTAYI KABUL ET"}},
    {"Command4", {"ELIMINA ULTIMO PUNTO", "REMOVE LAST POINT", "SON NOKTAYI SIL"}},
    {"Command5", {"APPLICA TABELLA", "APPLY TABLE", "TABLOYU UYGULA"}},
    {"Command6", {"SCARTA", "DISCARD", "VAZGEC"}},
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
};

}  // namespace

std::span<const app::ControlText> multiPointCaptions() { return kCaptions; }

const core::Text3 kMpGasTimeLpg{"Tinj Gas usec", "Tinj LPG usec", "LPG Tinj Suresi"};
const core::Text3 kMpGasTimeCng{"Tinj Gas usec", "Tinj CNG usec", "CNG Tinj Suresi"};

const core::Text3 kMpFirstPoint{"Portare il motore al primo punto, tenerlo fermo e premere MISURA PUNTO",
                                "Bring the engine to the first point, hold it steady and press MEASURE POINT",
                                "Motoru ilk noktaya getirin, sabit tutun ve NOKTAYI OLC'u tiklayin"};
const core::Text3 kMpMeasuring{"Tenere il motore fermo: misura in corso", "Hold the engine steady: measuring",
                               "Motoru sabit tutun: olcum yapiliyor"};
const core::Text3 kMpFound{"Valore trovato: premere ACCETTA PUNTO", "Value found: press ACCEPT POINT",
                           "Deger bulundu: NOKTAYI KABUL ET'i tiklayin"};
const core::Text3 kMpAccepted{"Punto %1 accettato: portare il motore al punto successivo e premere MISURA PUNTO",
                              "Point %1 accepted: bring the engine to the next point and press MEASURE POINT",
                              "Nokta %1 kabul edildi: motoru sonraki noktaya getirin ve NOKTAYI OLC'u tiklayin"};
const core::Text3 kMpWriting{"Scrittura della tabella in corso", "Writing the table", "Tablo yaziliyor"};

const core::Text3 kMpListHeadings[6] = {
    {"N.", "No.", "No"},     {"RPM", "RPM", "DEVIR"},       {"TINJ usec", "TINJ usec", "TINJ usec"},
    {"KGB", "KGB", "KGB"}, {"Cicli", "Cycles", "Dongu"}, {"Limite", "Limit", "Sinir"},
};
const core::Text3 kMpLimitMark{"SI", "YES", "EVET"};

}  // namespace kelvo6::calib

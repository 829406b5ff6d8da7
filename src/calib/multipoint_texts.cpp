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
    {"LabelExtrapolated", {"lontano dai punti", "far from the points", "noktalardan uzak"}},
    {"LabelNear", {"vicino a un punto", "near a point", "noktaya yakin"}},
    {"CheckRefine", {"Parti dalla tabella della centralina", "Start from the ECU's table", "ECU tablosundan basla"}},
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
    {"Command4", {"ELIMINA PUNTO", "REMOVE POINT", "NOKTAYI SIL"}},
    {"Command7", {"ANNULLA", "UNDO", "GERI AL"}},
    {"Command5", {"APPLICA TABELLA", "APPLY TABLE", "TABLOYU UYGULA"}},
    {"Command6", {"SCARTA", "DISCARD", "VAZGEC"}},
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
    {"CommandDrive", {"APRI GUIDA REGISTRATA", "OPEN RECORDED DRIVE", "KAYITLI SURUSU AC"}},
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

const core::Text3 kMpTitleNotConnected{"KELVO6 - Taratura multipunto Non connesso",
                                       "KELVO6 - Multi-point calibration Not connected",
                                       "KELVO6 - Cok noktali kalibrasyon Iletisim Yok"};
const core::Text3 kMpNotConnected{"Non connesso: i punti si misurano con la centralina collegata",
                                  "Not connected: points are measured with the ECU connected",
                                  "Iletisim yok: noktalar ECU bagliyken olculur"};
const core::Text3 kMpRpmMoved{"Il regime ha lasciato il punto: riportarlo a %1 giri, la fase ricomincia",
                              "Engine speed left the point: bring it back to %1 rpm; the phase starts again",
                              "Devir noktadan ayrildi: %1 devire geri getirin; asama yeniden baslar"};
const core::Text3 kMpTimeMoved{"Il tempo di iniezione ha lasciato il punto: riportarlo a %1 usec, la fase ricomincia",
                               "Injection time left the point: bring it back to %1 us; the phase starts again",
                               "Enjeksiyon suresi noktadan ayrildi: %1 usec'e geri getirin; asama yeniden baslar"};
const core::Text3 kMpBackAtPoint{"Motore di nuovo al punto: misura in corso", "Engine back at the point: measuring",
                                 "Motor yeniden noktada: olcum yapiliyor"};
const core::Text3 kMpGivenUp{"Il motore ha lasciato il punto troppe volte: punto abbandonato, premere MISURA PUNTO",
                             "The engine left the point too often: point given up, press MEASURE POINT",
                             "Motor noktadan cok kez ayrildi: nokta birakildi, NOKTAYI OLC'u tiklayin"};
const core::Text3 kMpNotSettling{"Il motore non si stabilizza in questo punto: punto abbandonato, sceglierne un altro",
                                 "The engine does not settle at this point: point given up, choose another one",
                                 "Motor bu noktada sabitlenmiyor: nokta birakildi, baska bir nokta secin"};
const core::Text3 kMpLineLost{"Nessuna risposta dalla centralina: il punto non e stato preso",
                              "No answer from the ECU: the point was not taken", "ECU cevap vermiyor: nokta alinmadi"};
const core::Text3 kMpApplied{"Tabella scritta (%1 celle): ANNULLA rimette la tabella precedente",
                             "Table written (%1 cells): UNDO puts the previous table back",
                             "Tablo yazildi (%1 hucre): GERI AL onceki tabloyu geri koyar"};
const core::Text3 kMpWriteCut{
    "Linea persa in scrittura: %1 di %2 celle scritte, non confermate: %3. Con la linea di nuovo attiva: APPLICA TABELLA "
    "completa, ANNULLA rimette la tabella precedente",
    "Line lost while writing: %1 of %2 cells written, not confirmed: %3. Once the line is back: APPLY TABLE finishes, "
    "UNDO puts the previous table back",
    "Yazarken hat koptu: %2 hucreden %1 yazildi, onaylanmayanlar: %3. Hat geri gelince: TABLOYU UYGULA tamamlar, GERI AL "
    "onceki tabloyu geri koyar"};
const core::Text3 kMpRestoring{"Ripristino della tabella precedente", "Putting the previous table back",
                               "Onceki tablo geri yukleniyor"};
const core::Text3 kMpRestored{"Tabella precedente rimessa", "Previous table put back", "Onceki tablo geri yuklendi"};
const core::Text3 kMpDiscardQuestion{"Scartare i punti misurati (%1)?", "Throw away the measured points (%1)?",
                                     "Olculen noktalar (%1) silinsin mi?"};
const core::Text3 kMpExitQuestion{"Uscire e perdere i punti misurati (%1)?", "Leave and lose the measured points (%1)?",
                                  "Cikilsin ve olculen noktalar (%1) kaybolsun mu?"};

const core::Text3 kMpNextPoint{"Prossimo punto da tenere: %1 giri, %2 usec (cella %3)",
                               "Next point to hold: %1 rpm, %2 us (cell %3)",
                               "Tutulacak sonraki nokta: %1 devir, %2 usec (hucre %3)"};

const core::Text3 kMpDrive{"Guida: %1 (%2 campioni), i suggerimenti preferiscono le sue celle",
                           "Drive: %1 (%2 samples); suggestions favour its cells",
                           "Surus: %1 (%2 ornek); oneriler hucrelerini tercih eder"};
const core::Text3 kMpDriveUnreadable{"Guida non leggibile: %1", "Cannot read the drive: %1", "Surus okunamiyor: %1"};

const core::Text3 kMpListHeadings[6] = {
    {"N.", "No.", "No"},     {"RPM", "RPM", "DEVIR"},       {"TINJ usec", "TINJ usec", "TINJ usec"},
    {"KGB", "KGB", "KGB"}, {"Cicli", "Cycles", "Dongu"}, {"Limite", "Limit", "Sinir"},
};
const core::Text3 kMpLimitMark{"SI", "YES", "EVET"};

}  // namespace kelvo6::calib

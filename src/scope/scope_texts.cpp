#include "scope/scope_texts.h"

namespace kelvo6::scope {

namespace {

constexpr app::ControlText kScopeTexts[] = {
    {"Exit", {"EXIT", "EXIT", "CIKIS"}},
    {"Pause", {"Pausa", "Pause", "Duraklat"}},
    {"OpenLog", {"Apri registrazione", "Open log", "Kayit ac"}},
    {"LiveView", {"Dal vivo", "Live", "Canli"}},
    {"OpenCellMap", {"Mappa celle", "Cell map", "Hucre haritasi"}},
    {"ChannelsFrame", {"Canali", "Channels", "Kanallar"}},
    {"TimeWindowLabel", {"Finestra", "Window", "Pencere"}},
    {"CursorFrame", {"Cursore", "Cursor", "Imlec"}},
};

constexpr app::ControlText kCellMapTexts[] = {
    {"Exit", {"EXIT", "EXIT", "CIKIS"}},
    {"FuelPetrol", {"Benzina", "Petrol", "Benzin"}},
    {"FuelGas", {"Gas", "Gas", "Gaz"}},
    {"ColourLambda", {"Colore: lambda 1", "Colour: lambda 1", "Renk: lambda 1"}},
    {"ColourTime", {"Colore: Tinj benzina", "Colour: petrol time", "Renk: benzin suresi"}},
    {"Legend",
     {"Ogni cella: campioni, media lambda 1 mV, media Tinj benzina us.\nColore dal blu (valore piu' basso) al rosso (piu' alto); celle con meno di 10 campioni in grigio.",
      "Each cell: samples, average lambda 1 mV, average petrol time us.\nColour from blue (lowest value) to red (highest); cells with fewer than 10 samples in grey.",
      "Her hucre: ornek sayisi, ortalama lambda 1 mV, ortalama benzin suresi us.\nRenk maviden (en dusuk) kirmiziya (en yuksek); 10 ornekten az hucreler gri."}},
};

}  // namespace

std::span<const app::ControlText> oscilloscopeCaptions() { return kScopeTexts; }
std::span<const app::ControlText> cellMapCaptions() { return kCellMapTexts; }

const core::Text3 kScopeTitle{"KELVO6 - Oscilloscopio", "KELVO6 - Oscilloscope", "KELVO6 - Osiloskop"};
const core::Text3 kScopeTitleNotConnected{"KELVO6 - Oscilloscopio Non connesso", "KELVO6 - Oscilloscope Not connected",
                                          "KELVO6 - Osiloskop  Iletisim Yok"};
const core::Text3 kScopeTitleLog{"KELVO6 - Oscilloscopio - %1", "KELVO6 - Oscilloscope - %1", "KELVO6 - Osiloskop - %1"};
const core::Text3 kCellMapTitle{"KELVO6 - Mappa celle KGB", "KELVO6 - KGB cell map", "KELVO6 - KGB hucre haritasi"};
const core::Text3 kMenuButton{"Oscilloscopio", "Oscilloscope", "Osiloskop"};

const core::Text3 kRate{"Campioni/s: %1   (limite della linea %2 a %3)", "Samples/s: %1   (line limit %2 at %3)",
                        "Ornek/s: %1   (hat siniri %2, %3)"};
const core::Text3 kRateNotConnected{"Non connesso: solo visione registrazioni", "Not connected: viewing logs only",
                                    "Iletisim yok: yalnizca kayit izleme"};
const core::Text3 kLogSummary{"%1 righe, %2", "%1 rows, %2", "%1 satir, %2"};
const core::Text3 kCutShort{"L'ultima riga, interrotta, e' stata tralasciata.", "The last row was cut off and left out.",
                            "Son satir yarim kalmis, alinmadi."};
const core::Text3 kCannotRead{"Impossibile leggere %1: riga %2: %3", "Cannot read %1: line %2: %3",
                              "%1 okunamadi: satir %2: %3"};
const core::Text3 kWindowAll{"tutta", "all", "tumu"};
const core::Text3 kNoAxes{"Assi non noti: assi di esempio", "Axes not known: example axes shown",
                          "Eksenler bilinmiyor: ornek eksenler"};

const core::Text3 kLogAxes{"Assi registrati nel file", "Axes recorded in the log", "Kayittaki eksenler"};
const core::Text3 kEcuAxes{"Assi della centralina collegata", "Axes of the connected ECU", "Bagli ECU'nun eksenleri"};
const core::Text3 kNoSamples{"La registrazione non contiene campioni: solo la riga dei titoli.",
                             "The log holds no samples: only its heading row.",
                             "Kayitta ornek yok: yalnizca baslik satiri var."};
const core::Text3 kLeftOut{"Colonne non mostrate (non riconosciute o doppie): %1",
                           "Columns not shown (not recognised or repeated): %1",
                           "Gosterilmeyen sutunlar (taninmayan veya tekrarlanan): %1"};

const core::Text3& readProblemText(datalog::ReadProblem p) {
  static const core::Text3 kTexts[] = {
      {"", "", ""},
      {"impossibile aprire il file (%1)", "the file cannot be opened (%1)", "dosya acilamiyor (%1)"},
      {"file troppo grande", "the file is too large", "dosya cok buyuk"},
      {"non e' una registrazione KELVO6 (manca la riga dei titoli con Time (ms))",
       "not a KELVO6 log (no heading row with Time (ms))", "KELVO6 kaydi degil (Time (ms) basligi yok)"},
      {"mancano dei valori", "values are missing", "degerler eksik"},
      {"%1 non e' un numero", "%1 is not a number", "%1 sayi degil"},
      {"%1 fuori campo", "%1 is out of range", "%1 aralik disinda"},
      {"il tempo torna indietro", "the time goes backwards", "zaman geri gidiyor"},
  };
  return kTexts[static_cast<int>(p)];
}

}  // namespace kelvo6::scope

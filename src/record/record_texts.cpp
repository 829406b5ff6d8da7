#include "record/record_texts.h"

namespace kelvo6::record {

// Turkish "Kaydet" is the calibration window's MODIFY button: the toggle says "start recording".
const core::Text3 kRecord{"Registra", "Record", "Kayit baslat"};
const core::Text3 kStopRecording{"Ferma registrazione", "Stop recording", "Kaydi durdur"};
const core::Text3 kRecordingStatus{"%1  %2  %3", "%1  %2  %3", "%1  %2  %3"};
const core::Text3 kRecordingFailed{"Registrazione fermata: %1. Salvato fino a qui in %2",
                                   "Recording stopped: %1. Kept up to here in %2",
                                   "Kayit durdu: %1. Buraya kadari %2 icinde"};
const core::Text3 kFolderFailed{"Impossibile registrare in %1: %2", "Cannot record in %1: %2",
                                "%1 icine kayit yapilamiyor: %2"};
const core::Text3 kRecordingSaved{"Registrazione salvata: %1", "Recording saved: %1", "Kayit kaydedildi: %1"};
const core::Text3 kNewConnection{"Nuova connessione: la registrazione continua in un nuovo file",
                                 "New connection: the recording goes on in a new file",
                                 "Yeni baglanti: kayit yeni bir dosyada devam ediyor"};

}  // namespace kelvo6::record

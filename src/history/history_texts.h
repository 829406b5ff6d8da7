#pragma once
// Captions and messages of the history window, Italian, English and Turkish.

#include "app/texts.h"

namespace kelvo6::history {

inline constexpr app::ControlText kHistoryTexts[] = {
    {"title", {"KELVO6 - Storico", "KELVO6 - History", "KELVO6 - Gecmis"}},
    {"Label1", {"Veicolo", "Vehicle", "Arac"}},
    {"Label2", {"Dal (AAAA-MM-GG)", "From (YYYY-MM-DD)", "Baslangic (YYYY-AA-GG)"}},
    {"Label3", {"Al (AAAA-MM-GG)", "To (YYYY-MM-DD)", "Bitis (YYYY-AA-GG)"}},
    {"Command1", {"Filtra", "Filter", "Filtrele"}},
    {"Label4", {"Nome veicolo", "Vehicle name", "Arac adi"}},
    {"Command2", {"Salva nome", "Save name", "Adi kaydet"}},
    {"Command3", {"Confronta con centralina", "Compare with ECU", "ECU ile karsilastir"}},
    {"Command4", {"Confronta i due selezionati", "Compare the two selected", "Secilen ikisini karsilastir"}},
    {"Command5", {"USCITA", "EXIT", "CIKIS"}},
};

inline constexpr core::Text3 kSnapshotColumns[] = {
    {"Data e ora", "Date and time", "Tarih ve saat"}, {"Veicolo", "Vehicle", "Arac"},
    {"SW centralina", "ECU software", "ECU yazilimi"},  {"Postazione", "Station", "Istasyon"},
    {"Porta", "Port", "Port"},                          {"Scritture", "Writes", "Yazmalar"},
};
inline constexpr core::Text3 kWriteColumns[] = {
    {"Ora", "Time", "Saat"},           {"Finestra", "Window", "Pencere"},   {"Voce", "Item", "Oge"},
    {"Prima", "Before", "Once"},       {"Dopo", "After", "Sonra"},           {"Operatore", "Operator", "Operator"},
};

inline constexpr core::Text3 kEcuSide{"Centralina", "ECU", "ECU"};
inline constexpr core::Text3 kRestoring{"Ripristino: %1 di %2 valori", "Restoring: %1 of %2 values",
                                        "Geri yukleniyor: %1 / %2 deger"};
inline constexpr core::Text3 kRestored{"Ripristino completato: la centralina contiene il punto di ripristino del %1",
                                       "Restore complete: the ECU holds the restore point of %1",
                                       "Geri yukleme tamamlandi: ECU %1 tarihli geri yukleme noktasini iceriyor"};
inline constexpr core::Text3 kRestoreStopped{"Ripristino interrotto: %1 valori non scritti",
                                             "Restore stopped: %1 values not written",
                                             "Geri yukleme durduruldu: %1 deger yazilmadi"};
inline constexpr core::Text3 kWaiting{"In attesa di registrazione: %1", "Waiting to be recorded: %1",
                                      "Kaydedilmeyi bekleyen: %1"};
inline constexpr core::Text3 kBadDate{"Data non valida: usare AAAA-MM-GG", "Invalid date: use YYYY-MM-DD",
                                      "Gecersiz tarih: YYYY-AA-GG kullanin"};
inline constexpr core::Text3 kDatabaseProblem{"Archivio storico non disponibile: %1", "History database unavailable: %1",
                                              "Gecmis veritabani kullanilamiyor: %1"};

}  // namespace kelvo6::history

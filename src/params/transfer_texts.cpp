#include "params/transfer_texts.h"

#include <QStringList>
#include <algorithm>

#include "app/texts.h"

namespace kelvo6::params {

namespace {

using core::Text3;

constexpr Text3 kParameter{"parametro", "parameter", "parametre"};
constexpr Text3 kParameters{"parametri", "parameters", "parametreler"};
constexpr Text3 kCell{"cella", "cell", "hucre"};
constexpr Text3 kCells{"celle", "cells", "hucreler"};

constexpr Text3 kRunning{"Invio della configurazione: %1 di %2 valori inviati",
                         "Sending the configuration: %1 of %2 values sent",
                         "Degerler gonderiliyor: %1 / %2 deger gonderildi"};
constexpr Text3 kComplete{"Configurazione inviata: %1 valori", "Configuration sent: %1 values",
                          "Degerler gonderildi: %1 deger"};
constexpr Text3 kCompleteNotSent{"Configurazione inviata: %1 valori. Non inviati: %2.",
                                 "Configuration sent: %1 values. Not sent: %2.",
                                 "Degerler gonderildi: %1 deger. Gonderilmeyen: %2."};
constexpr Text3 kInterrupted{
    "Invio interrotto: %1 di %2 valori inviati. Non inviati: %3. CONTINUA invia il resto.",
    "Sending interrupted: %1 of %2 values sent. Not sent: %3. CONTINUE sends the rest.",
    "Gonderim durdu: %1 / %2 deger gonderildi. Gonderilmeyen: %3. DEVAM kalani gonderir."};
constexpr Text3 kLeave{
    "L'invio non è finito: la centralina ha una configurazione parziale (%1 di %2 valori inviati). Uscire "
    "comunque?",
    "The configuration has not been sent completely: the ECU holds a partial configuration (%1 of %2 values "
    "sent). Exit anyway?",
    "Gonderim bitmedi: ECU'da eksik bir konfigurasyon var (%1 / %2 deger gonderildi). Yine de cikilsin mi?"};
constexpr Text3 kYes{"Sì", "Yes", "Evet"};
constexpr Text3 kNo{"No", "No", "Hayir"};

QString numbersText(std::vector<int> numbers) {
  std::sort(numbers.begin(), numbers.end());
  QStringList parts;
  for (std::size_t i = 0; i < numbers.size();) {
    std::size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (j - i >= 2) {
      parts << QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[j]);
    } else {
      for (std::size_t k = i; k <= j; ++k) parts << QString::number(numbers[k]);
    }
    i = j + 1;
  }
  return parts.join(QStringLiteral(", "));
}

}  // namespace

QString transferItemsText(const std::vector<TransferItem>& items, int language) {
  std::vector<int> params, cells;
  for (const TransferItem& item : items) (item.cell ? cells : params).push_back(item.number);
  QStringList groups;
  if (!params.empty())
    groups << app::text3(params.size() == 1 ? kParameter : kParameters, language) + QLatin1Char(' ') +
                  numbersText(params);
  if (!cells.empty())
    groups << app::text3(cells.size() == 1 ? kCell : kCells, language) + QLatin1Char(' ') + numbersText(cells);
  return groups.join(QStringLiteral("; "));
}

QString transferStatusText(const BulkTransfer& t, const core::Shared& s, int language) {
  const QString held = QString::number(t.held(s)), total = QString::number(t.total());
  switch (t.state()) {
    case BulkTransfer::State::kIdle: return {};
    case BulkTransfer::State::kRunning: return app::text3(kRunning, language).arg(held, total);
    case BulkTransfer::State::kComplete: {
      std::vector<TransferItem> missing = t.notHeld(s);
      if (missing.empty()) return app::text3(kComplete, language).arg(held);
      return app::text3(kCompleteNotSent, language).arg(held, transferItemsText(missing, language));
    }
    case BulkTransfer::State::kInterrupted:
      return app::text3(kInterrupted, language).arg(held, total, transferItemsText(t.notHeld(s), language));
  }
  return {};
}

platform::Question leaveDuringTransferQuestion(const BulkTransfer& t, const core::Shared& s, const QString& title,
                                               int language) {
  return {title, app::text3(kLeave, language).arg(t.held(s)).arg(t.total()), yesText(language), noText(language)};
}

QString yesText(int language) { return app::text3(kYes, language); }
QString noText(int language) { return app::text3(kNo, language); }

}  // namespace kelvo6::params

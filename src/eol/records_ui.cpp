#include "eol/records_ui.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "app/texts.h"

namespace kelvo6::eol {

namespace {

using core::Text3;

constexpr Text3 kDialogTitle{"Salva il rapporto di collaudo", "Save the end-of-line report",
                             "Hat sonu test raporunu kaydet"};
constexpr Text3 kMessageTitle{"KELVO6 - Registro collaudi", "KELVO6 - Production records", "KELVO6 - Uretim Kayitlari"};
constexpr Text3 kRecordNotWritten{
    "Il risultato di questo collaudo non è stato registrato nella cartella \"%1\".",
    "The result of this end-of-line test was not recorded in the folder \"%1\".",
    "Bu hat sonu testinin sonucu \"%1\" klasorune kaydedilemedi."};
constexpr Text3 kReplaceReport{"Il file \"%1\" esiste già. Sostituirlo?", "The file \"%1\" already exists. Replace it?",
                               "\"%1\" dosyasi zaten var. Degistirilsin mi?"};
constexpr Text3 kYes{"Sì", "Yes", "Evet"};
constexpr Text3 kNo{"No", "No", "Hayir"};
constexpr Text3 kReportSaved{"Rapporto salvato: \"%1\".", "Report saved: \"%1\".", "Rapor kaydedildi: \"%1\"."};
constexpr Text3 kReportNotSaved{"Impossibile salvare il rapporto \"%1\".", "The report \"%1\" cannot be saved.",
                                "\"%1\" raporu kaydedilemedi."};

}  // namespace

std::string recordsFolder() { return (QDir::homePath() + QStringLiteral("/TAVRIN_IE/EndOfLine")).toStdString(); }

std::string localDateTimeNow() {
  return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString();
}

platform::FileDialogRequest reportDialogRequest(int language) {
  return {app::text3(kDialogTitle, language), QString::fromStdString(recordsFolder()), QStringLiteral("*.pdf"), true};
}

QString withPdfSuffix(const QString& path) {
  if (path.isEmpty() || QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) return path;
  return path + QStringLiteral(".pdf");
}

platform::Question replaceReportQuestion(const QString& title, const QString& path, int language) {
  return {title, app::text3(kReplaceReport, language).arg(QFileInfo(path).fileName()), app::text3(kYes, language),
          app::text3(kNo, language)};
}

QString recordsMessageTitle(int language) { return app::text3(kMessageTitle, language); }

QString recordNotWrittenText(const std::string& folder, int language) {
  return app::text3(kRecordNotWritten, language).arg(QDir::toNativeSeparators(QString::fromStdString(folder)));
}

QString reportSavedText(const QString& path, int language) {
  return app::text3(kReportSaved, language).arg(QDir::toNativeSeparators(path));
}

QString reportNotSavedText(const QString& path, int language) {
  return app::text3(kReportNotSaved, language).arg(QDir::toNativeSeparators(path));
}

}  // namespace kelvo6::eol

#include "params/compare_open.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <tuple>

#include "app/navigator.h"
#include "app/texts.h"
#include "params/compare_window.h"

namespace kelvo6::params {

namespace {

using core::Text3;

constexpr Text3 kChooseForEcu{"Selezionare la vettura da confrontare con la centralina",
                              "Select the vehicle workbook to compare with the ECU",
                              "ECU ile karsilastirilacak arac dosyasini secin"};
constexpr Text3 kChooseFirst{"Selezionare la prima vettura", "Select the first vehicle workbook",
                             "Birinci arac dosyasini secin"};
constexpr Text3 kChooseSecond{"Selezionare la seconda vettura", "Select the second vehicle workbook",
                              "Ikinci arac dosyasini secin"};
constexpr Text3 kEcu{"Centralina", "ECU", "ECU"};

// The archive folder and the workbook kinds of an archive load, with our title.
platform::FileDialogRequest request(const Text3& title, int language) {
  platform::FileDialogRequest r = loadDialogRequest(language);
  r.title = app::text3(title, language);
  return r;
}

// The chosen workbook's configuration, named by its file name, or nothing:
// cancelled, or refused with a message that says why.
std::optional<CompareSide> chooseWorkbook(app::Screen* hub, app::Context& ctx, const Text3& title,
                                          QString* chosenPath = nullptr) {
  const int language = ctx.shared.language;
  const QString path = ctx.desktop.chooseFile(hub, request(title, language));
  if (path.isEmpty()) return std::nullopt;
  if (chosenPath) *chosenPath = path;
  CompareSide side{QFileInfo(path).fileName(), {}};
  if (auto error = readConfiguration(path.toStdString(), &side.values)) {
    app::Screen* m =
        ctx.navigator.showMessage(hub, archiveMessageTitle(language), archiveMessageText(*error, path, language));
    if (auto* message = dynamic_cast<app::MessageWindow*>(m)) message->setDetail(QString::fromStdString(error->detail));
    return std::nullopt;
  }
  return side;
}

void openWindow(app::Screen* hub, app::Context& ctx, const CompareSide& left, const CompareSide& right,
                std::function<void(const Configuration&)> send) {
  ctx.navigator.open(QStringLiteral("Compare"), hub, [&](app::Screen* s) {
    if (auto* w = dynamic_cast<CompareWindow*>(s)) w->showComparison(left, right, std::move(send));
  });
}

}  // namespace

std::pair<QString, QString> distinctNames(const QString& first, const QString& second) {
  const QStringList a = QDir::cleanPath(QDir::fromNativeSeparators(first)).split(QLatin1Char('/'));
  const QStringList b = QDir::cleanPath(QDir::fromNativeSeparators(second)).split(QLatin1Char('/'));
  // The last k parts of each, k growing until they differ or one path is whole.
  auto tail = [](const QStringList& parts, qsizetype k) {
    return QDir::toNativeSeparators(parts.mid(std::max<qsizetype>(0, parts.size() - k)).join(QLatin1Char('/')));
  };
  qsizetype k = 1;
  while (k < std::max(a.size(), b.size()) && tail(a, k) == tail(b, k)) ++k;
  return {tail(a, k), tail(b, k)};
}

std::optional<ArchiveError> readConfiguration(const std::string& path, Configuration* out) {
  // The archive loader puts a workbook into pending values: here those of a
  // scratch state, so that the program's own stay as they are.
  core::Shared scratch;
  if (auto error = loadVehicle(path, scratch)) return error;
  *out = pendingConfiguration(scratch);
  return std::nullopt;
}

bool compareWithEcu(app::Screen* hub, app::Context& ctx, std::function<void(const Configuration&)> send) {
  auto workbook = chooseWorkbook(hub, ctx, kChooseForEcu);
  if (!workbook) return false;
  const CompareSide ecu{app::text3(kEcu, ctx.shared.language), ecuConfiguration(ctx.shared)};
  openWindow(hub, ctx, ecu, *workbook, std::move(send));
  return true;
}

bool compareTwoWorkbooks(app::Screen* hub, app::Context& ctx) {
  QString firstPath, secondPath;
  auto first = chooseWorkbook(hub, ctx, kChooseFirst, &firstPath);
  if (!first) return false;
  auto second = chooseWorkbook(hub, ctx, kChooseSecond, &secondPath);
  if (!second) return false;
  // Two workbooks of the same name are told apart by their folders.
  std::tie(first->name, second->name) = distinctNames(firstPath, secondPath);
  openWindow(hub, ctx, *first, *second, nullptr);
  return true;
}

}  // namespace kelvo6::params

#include "params/compare_open.h"

#include <QFileInfo>

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

// The chosen workbook's configuration, or nothing: cancelled, or refused with
// a message that says why.
std::optional<CompareSide> chooseWorkbook(app::Screen* hub, app::Context& ctx, const Text3& title) {
  const int language = ctx.shared.language;
  const QString path = ctx.desktop.chooseFile(hub, request(title, language));
  if (path.isEmpty()) return std::nullopt;
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
  auto first = chooseWorkbook(hub, ctx, kChooseFirst);
  if (!first) return false;
  auto second = chooseWorkbook(hub, ctx, kChooseSecond);
  if (!second) return false;
  openWindow(hub, ctx, *first, *second, nullptr);
  return true;
}

}  // namespace kelvo6::params

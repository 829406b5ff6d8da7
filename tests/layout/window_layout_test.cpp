// Every window in Italian, English and Turkish: no caption cut off, no control
// drawn over another. Registered twice, the second time at display scale 2.

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

#include "support/caption_fit.h"
#include "support/scenes.h"

namespace kelvo6::testing {
namespace {

class WindowLayout : public ::testing::TestWithParam<std::size_t> {};

TEST_P(WindowLayout, ReadsWellInEachLanguage) {
  const Scene& scene = scenes()[GetParam()];
  QStringList problems;
  for (int language = 1; language <= 3; ++language) {
    Harness h;
    QWidget* w = stage(h, scene, language);
    if (!w) {
      problems << QStringLiteral("%1: %2 did not open").arg(QLatin1String(kLanguageCode[language]), QLatin1String(scene.form));
      continue;
    }
    for (const QString& p : layoutProblems(w)) problems << QStringLiteral("%1: %2").arg(QLatin1String(kLanguageCode[language]), p);
    // KELVO6_SNAPSHOT_DIR=folder keeps a picture of each window as checked.
    QString folder = qEnvironmentVariable("KELVO6_SNAPSHOT_DIR");
    if (!folder.isEmpty()) {
      QDir().mkpath(folder);
      w->grab().save(QDir(folder).filePath(
          QStringLiteral("%1-%2-x%3.png")
              .arg(QLatin1String(scene.name), QLatin1String(kLanguageCode[language]))
              .arg(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")))));
    }
  }
  EXPECT_TRUE(problems.isEmpty()) << scene.form << " (" << scene.name << "):\n  "
                                  << problems.join(QStringLiteral("\n  ")).toStdString();
}

std::vector<std::size_t> everyScene() {
  std::vector<std::size_t> all(scenes().size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  return all;
}

INSTANTIATE_TEST_SUITE_P(Scenes, WindowLayout, ::testing::ValuesIn(everyScene()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                           std::string n = scenes()[info.param].name;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

}  // namespace
}  // namespace kelvo6::testing

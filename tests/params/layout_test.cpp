// The parameter windows with their messages up, in Italian, English and
// Turkish: a refused entry's message takes room kept for it (no field moves or
// shrinks), and the hub's progress line reads whole while a transfer runs,
// after one was interrupted and once it is done. Run again at display scale 2.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QMap>
#include <QPixmap>

#include "params/archive.h"
#include "params_support.h"
#include "support/caption_fit.h"

namespace kelvo6::testing {
namespace {

void settle(QWidget* w) {
  // As the event loop would: a message line that takes new room asks for
  // the layout again.
  for (int pass = 0; pass < 2; ++pass) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    w->layout()->activate();
  }
}

// KELVO6_SNAPSHOT_DIR=folder keeps a picture of each state checked.
void snapshot(QWidget* w, const QString& name, int language) {
  QString folder = qEnvironmentVariable("KELVO6_SNAPSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  w->grab().save(QDir(folder).filePath(QStringLiteral("%1-%2-x%3.png")
                                           .arg(name)
                                           .arg(language)
                                           .arg(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")))));
}

QMap<QString, QRect> controlPlaces(QWidget* w) {
  QMap<QString, QRect> out;
  for (QWidget* c : w->findChildren<QWidget*>())
    if (!c->objectName().isEmpty() && c->objectName() != QLatin1String("MessageLine") && c->isVisibleTo(w))
      out[c->objectName()] = QRect(c->mapTo(w, QPoint(0, 0)), c->size());
  return out;
}

struct EditorCase {
  const char* hubButton;
  const char* form;
  const char* writeMode;
  const char* field;     // emptied, so that Modify is refused
  const char* action;    // pressed to be refused
};

const EditorCase kEditors[] = {
    {"Command1", "Form6", "Option4", "Text3", "Command2"},
    {"Command2", "Form10", "Option2", "Text2", "Command2"},
    {"Command3", "Form11", "Option2", "Text6", "Command2"},
    {"Command6", "Form13", "Option2", "Text7", "Command2"},
    {"Command4", "Form14", "Option2", "Text5", "Command2"},
    {"Command4", "Form14", "Option2", nullptr, "Command3"},  // learning with no live reading
};

TEST(ParameterWindowLayout, RefusalMessageTakesItsOwnRoom) {
  QStringList problems;
  for (const EditorCase& e : kEditors) {
    for (int language = 1; language <= 3; ++language) {
      Harness h;
      openHub(h, {}, language);
      h.click("Form5", e.hubButton);
      QWidget* w = h.window(e.form);
      ASSERT_TRUE(w) << e.form;
      h.click(e.form, e.writeMode);
      settle(w);
      const QMap<QString, QRect> before = controlPlaces(w);
      if (e.field) h.setText(e.form, e.field, "");
      h.click(e.form, e.action);
      settle(w);
      const QString where = QStringLiteral("%1 (%2, %3)").arg(e.form).arg(language).arg(e.action);
      if (h.control<QLabel>(e.form, "MessageLine")->text().isEmpty()) problems << where + ": no message";
      const QMap<QString, QRect> after = controlPlaces(w);
      for (auto it = before.begin(); it != before.end(); ++it)
        if (after.value(it.key()) != it.value())
          problems << QStringLiteral("%1: %2 moved from %3,%4 %5x%6 to %7,%8 %9x%10")
                          .arg(where, it.key())
                          .arg(it.value().x()).arg(it.value().y()).arg(it.value().width()).arg(it.value().height())
                          .arg(after.value(it.key()).x()).arg(after.value(it.key()).y())
                          .arg(after.value(it.key()).width()).arg(after.value(it.key()).height());
      for (const QString& p : layoutProblems(w)) problems << where + ": " + p;
      snapshot(w, QStringLiteral("%1-%2-refused").arg(e.form, e.action), language);
    }
  }
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("\n")).toStdString();
}

// Implausible entries: each marked beside its field and said in the warning
// line, with no field moving and the window keeping its size.
TEST(ParameterWindowLayout, PlausibilityWarningsMoveNothing) {
  const struct {
    const char *hubButton, *form, *writeMode;
    std::vector<std::pair<const char*, const char*>> entries;  // field, implausible value
  } cases[] = {
      {"Command1", "Form6", "Option4", {{"Text6", "700"}}},                  // lean above rich
      {"Command2", "Form10", "Option2", {{"Text1", "12000"}}},               // engine speed
      {"Command3", "Form11", "Option2", {{"Text4", "200"}}},                 // temperature
      {"Command6", "Form13", "Option2", {{"Text5", "80"}, {"Text4", "90"}}},  // minimum above maximum
      {"Command4", "Form14", "Option2", {{"Text2", "0"}}},                   // no level span
  };
  QStringList problems;
  for (const auto& c : cases)
    for (int language = 1; language <= 3; ++language) {
      Harness h;
      openHub(h, {}, language);
      h.click("Form5", c.hubButton);
      QWidget* w = h.window(c.form);
      h.click(c.form, c.writeMode);
      settle(w);
      const QMap<QString, QRect> before = controlPlaces(w);
      const QSize size = w->size();
      for (auto [field, value] : c.entries) h.setText(c.form, field, value);
      settle(w);
      const QString where = QStringLiteral("%1 (%2)").arg(c.form).arg(language);
      const QString line = h.control<QLabel>(c.form, "WarningLine")->text();
      if (line.isEmpty()) problems << where + ": no warning";
      for (auto [field, value] : c.entries) {
        QLabel* mark = h.control<QLabel>(c.form, QStringLiteral("Warning%1").arg(field));
        if (!mark || !mark->isVisibleTo(w) || mark->toolTip().isEmpty()) problems << where + ": " + field + " unmarked";
      }
      if (w->size() != size) problems << where + QStringLiteral(": window resized");
      const QMap<QString, QRect> after = controlPlaces(w);
      for (auto it = before.begin(); it != before.end(); ++it)
        if (after.value(it.key()) != it.value()) problems << where + ": " + it.key() + " moved";
      for (const QString& p : layoutProblems(w)) problems << where + ": " + p;
      snapshot(w, QStringLiteral("%1-warning").arg(c.form), language);
    }
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("\n")).toStdString();
}

TEST(ParameterWindowLayout, HubProgressLineReadsWhole) {
  TemporaryHome home;
  const QString path = home.path() + "/other.xlsx";
  core::Shared other;
  for (int n = 1; n <= 62; ++n) other.param(n).ecu = 1000 + n * 3;
  for (int c = 1; c <= 64; ++c) other.cell(c).ecu = 255 - c;
  ASSERT_FALSE(params::saveVehicle(path.toStdString(), other));
  QStringList problems;
  for (int language = 1; language <= 3; ++language) {
    Harness h;
    openHub(h, {}, language);
    QWidget* hub = h.window("Form5");
    auto check = [&](const char* state) {
      settle(hub);
      const QString where = QStringLiteral("%1 (%2)").arg(QLatin1String(state)).arg(language);
      if (h.control<QLabel>("Form5", "ProgressLine")->text().isEmpty()) problems << where + ": no progress line";
      for (const QString& p : layoutProblems(hub)) {
        // A path may break after each separator (a zero-width space there),
        // which the check's split at blanks does not know.
        if (p.contains(QStringLiteral("word cut across")) && p.contains(QChar(0x200B))) continue;
        problems << where + ": " + p;
      }
      snapshot(hub, QStringLiteral("hub-%1").arg(QLatin1String(state)), language);
    };
    h.setNextFileName(path);
    h.click("Form5", "Command5");
    h.advance(1500);
    check("sending");
    h.click("Form5", "Command2");
    h.close("Form10");
    h.activate("Form5");
    check("interrupted");
    h.click("Form5", "ContinueTransfer");
    h.advance(30000);
    check("sent");
    h.setNextFileName(home.archive() + "/car");
    h.click("Form5", "Command9");
    check("saved");
    h.click("Form5", "Command7");
    h.advance(5000);
    check("defaults");
  }
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("\n")).toStdString();
}

}  // namespace
}  // namespace kelvo6::testing

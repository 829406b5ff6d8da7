// Restore points and the write journal through the whole program: the
// handshake keeps what the simulated ECU holds, acknowledged writes are
// journalled with the value they replaced and their window, and a restore
// (itself undoable) leaves the ECU equal to the restore point.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTableWidget>

#include "app/app.h"
#include "history/service.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

using history::Snapshot;
using history::SnapshotSummary;
using history::Store;
using history::WriteEntry;

HarnessOptions withHistory() {
  HarnessOptions o;
  o.keepsHistory = true;
  return o;
}

// Start-up window to a main menu that has finished its handshake.
void connect(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
}

template <class T>
T fromStore(Harness& h, const std::function<T(Store&, std::string*)>& read) {
  history::Service& service = *h.app().historyService();
  service.flush();
  T out{};
  std::string error;
  EXPECT_TRUE(service.run([&](Store& s) { out = read(s, &error); }, &error)) << error;
  EXPECT_EQ(error, "");
  return out;
}

std::vector<SnapshotSummary> snapshots(Harness& h) {
  return fromStore<std::vector<SnapshotSummary>>(
      h, [](Store& s, std::string* e) { return s.snapshots({}, e).value_or(std::vector<SnapshotSummary>{}); });
}
Snapshot snapshot(Harness& h, const std::string& key) {
  return fromStore<Snapshot>(h, [&](Store& s, std::string* e) { return s.snapshot(key, e).value_or(Snapshot{}); });
}
std::vector<WriteEntry> writesAfter(Harness& h, const std::string& key) {
  return fromStore<std::vector<WriteEntry>>(
      h, [&](Store& s, std::string* e) { return s.writesAfter(key, e).value_or(std::vector<WriteEntry>{}); });
}

void expectEcuHolds(Harness& h, const Snapshot& s, const char* when) {
  for (int n = 1; n <= 62; ++n) EXPECT_EQ(h.ecu()->param(n), s.params[static_cast<std::size_t>(n - 1)]) << when << " P" << n;
  for (int n = 1; n <= 64; ++n) EXPECT_EQ(h.ecu()->cell(n), s.cells[static_cast<std::size_t>(n - 1)]) << when << " C" << n;
}

// From the open history window: the restore point in `row` back to the ECU,
// through the compare window's send.
void restoreRow(Harness& h, int row) {
  auto* list = h.control<QTableWidget>("History", "List1");
  list->clearSelection();  // as a plain click on the row
  list->selectRow(row);
  h.click("History", "Command3");
  ASSERT_TRUE(h.window("Compare"));
  h.click("Compare", "Command1");
  h.advance(20000);
}

TEST(HistoryJournal, KeepsEachHandshakeJournalsWritesAndRestoresUndoably) {
  Harness h(withHistory());
  h.ecu()->setParam(4, 400);
  h.ecu()->setCell(5, 120);
  connect(h);
  auto first = snapshots(h);
  ASSERT_EQ(first.size(), 1u);
  const Snapshot a = snapshot(h, first[0].key);
  expectEcuHolds(h, a, "after the handshake");
  EXPECT_EQ(a.port, h.shared().commandLineDevice);

  // An editor's write: journalled with the value it replaced and its window.
  h.click("Form2", "Command4");
  h.click("Form5", "Command1");
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "350");
  h.click("Form6", "Command2");
  h.advance(1500);
  auto writes = writesAfter(h, a.key);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].item, "P4");
  EXPECT_EQ(writes[0].oldValue, 400);
  EXPECT_EQ(writes[0].newValue, 350);
  EXPECT_EQ(writes[0].source, "KELVO6 - Parametri lambda");  // the window by its caption

  // Another tool changed the car; the next connection keeps a new restore point.
  h.close("Form6");
  h.close("Form5");
  h.click("Form2", "Command1");
  h.ecu()->setCell(5, 77);
  connect(h);
  ASSERT_EQ(snapshots(h).size(), 2u);
  const Snapshot b = snapshot(h, snapshots(h)[0].key);
  EXPECT_EQ(b.params[3], 350);
  EXPECT_EQ(b.cells[4], 77);

  // Restoring the first restore point: bulk-transferred values are journalled too.
  h.click("Form2", "Command8");
  ASSERT_TRUE(h.window("History"));
  restoreRow(h, 1);
  expectEcuHolds(h, a, "after the restore");
  auto afterRestore = snapshots(h);
  ASSERT_EQ(afterRestore.size(), 3u);
  const Snapshot beforeRestore = snapshot(h, afterRestore[0].key);
  EXPECT_EQ(beforeRestore.params, b.params);
  EXPECT_EQ(beforeRestore.cells, b.cells);
  std::vector<std::string> restored;
  for (const WriteEntry& w : writesAfter(h, beforeRestore.key)) {
    EXPECT_EQ(w.source, "History");
    restored.push_back(w.item + ":" + std::to_string(w.oldValue) + ">" + std::to_string(w.newValue));
  }
  EXPECT_EQ(restored, (std::vector<std::string>{"P4:350>400", "C5:77>120"}));

  // Undoing the restore brings back the state before it.
  restoreRow(h, 0);
  expectEcuHolds(h, b, "after undoing the restore");
}

TEST(HistoryJournal, BrowsesWithoutAnEcuAndFiltersByVehicle) {
  Harness h(withHistory());
  connect(h);
  h.click("Form2", "Command8");
  auto* list = h.control<QTableWidget>("History", "List1");
  ASSERT_EQ(list->rowCount(), 1);
  h.setText("History", "Text4", "Fiat Punto");
  h.click("History", "Command2");
  struct Case {
    const char* vehicle;
    const char* from;
    int rows;
  } cases[] = {{"punto", "", 1}, {"golf", "", 0}, {"", "2999-01-01", 0}, {"", "2000-01-01", 1}};
  for (const Case& c : cases) {
    h.setText("History", "Text1", c.vehicle);
    h.setText("History", "Text2", c.from);
    h.click("History", "Command1");
    EXPECT_EQ(list->rowCount(), c.rows) << c.vehicle << c.from;
  }
  h.setText("History", "Text2", "01/02/2026");
  h.click("History", "Command1");
  EXPECT_TRUE(h.control<QWidget>("History", "Label5")->property("text").toString().contains("YYYY-MM-DD") ||
              h.control<QWidget>("History", "Label5")->property("text").toString().contains("AAAA-MM-GG"));
  h.close("History");
  h.click("Form2", "Command1");

  // Not connected: the same history, browsing only.
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  h.click("Form2", "Command8");
  h.setText("History", "Text2", "");
  h.click("History", "Command1");
  EXPECT_EQ(h.control<QTableWidget>("History", "List1")->rowCount(), 1);
  EXPECT_FALSE(h.control<QPushButton>("History", "Command3")->isEnabled());
}

// The main menu's vehicle field: a name typed during the handshake goes with
// its restore point, one typed after it renames that point, and the next
// connection of the same configuration (only) is offered that name.
TEST(HistoryJournal, TheMainMenuNamesTheVehicleAndSuggestsItForTheSameConfiguration) {
  Harness h(withHistory());
  auto newestName = [&] { return snapshot(h, snapshots(h)[0].key).vehicle; };
  auto suggested = [&] {
    h.app().historyService()->flush();
    QCoreApplication::sendPostedEvents();  // the answer reaches the menu, as the event loop would
    return h.control<QLineEdit>("Form2", "Text2")->text().toStdString();
  };
  h.click("Form1", "Command1");
  h.setText("Form2", "Text2", "Fiat Punto");
  h.advance(2500);
  EXPECT_EQ(newestName(), "Fiat Punto");
  h.setText("Form2", "Text2", "Fiat Punto 1.2 ");
  h.typeKeys("Form2", "Text2", "\r");
  EXPECT_EQ(newestName(), "Fiat Punto 1.2");

  const struct {
    int p4;
    const char* name;
  } nextConnections[] = {{h.ecu()->param(4), "Fiat Punto 1.2"}, {h.ecu()->param(4) + 1, ""}};
  for (const auto& next : nextConnections) {
    h.click("Form2", "Command1");
    h.ecu()->setParam(4, next.p4);
    connect(h);
    EXPECT_EQ(suggested(), next.name);
    EXPECT_EQ(newestName(), next.name);
  }
}

// A history file that is no database: the fitter is told once, with the file's
// name; the ECU session goes on and the file is left as it was.
TEST(HistoryJournal, AnUnusableFileIsReportedByNameAndTheSessionCarriesOn) {
  QTemporaryDir home;
  const QByteArray previousHome = qgetenv("HOME");
  qputenv("HOME", home.path().toUtf8());
  const QString file = home.filePath("TAVRIN_IE/kelvo6.sqlite");
  QDir().mkpath(home.filePath("TAVRIN_IE"));
  QFile garbage(file);
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  const QByteArray bytes(4096, '\x33');
  garbage.write(bytes);
  garbage.close();
  {
    Harness h(withHistory());
    connect(h);
    EXPECT_TRUE(h.control<QPushButton>("Form2", "Command4")->isEnabled()) << "the handshake finished";
    h.app().historyService()->flush();
    h.advance(1000);
    ASSERT_TRUE(h.window("Form12"));
    EXPECT_TRUE(h.control<QLabel>("Form12", "Label2")->text().contains(file)) << h.control<QLabel>("Form12", "Label2")->text().toStdString();
    EXPECT_EQ(h.app().historyService()->waiting(), 1) << "the restore point waits";
    h.close("Form12");
    h.advance(5000);
    EXPECT_FALSE(h.window("Form12")) << "told once";
  }
  QFile after(file);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), bytes);
  qputenv("HOME", previousHome);
}

}  // namespace
}  // namespace kelvo6::testing

#include "support/scenes.h"

#include <QListWidget>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLayout>
#include <array>

#include "calib/chart_geometry.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_window.h"
#include "core/shared.h"
#include "datalog/channels.h"
#include "scope/oscilloscope_window.h"
#include "scope/trace_view.h"
#include "params/archive.h"
#include "sim/ecu.h"

namespace kelvo6::testing {
namespace {

// A car that has been calibrated: the coefficient rises with engine speed and
// dips a little in the middle of the injection times, so the grid and the
// chart show a table with some shape rather than 64 equal cells.
void calibratedCar(Harness& h) {
  constexpr std::array<int, 8> kByRpm{104, 110, 116, 121, 126, 130, 133, 135};
  constexpr std::array<int, 8> kByTime{6, 3, 0, -2, -3, -2, 0, 2};
  for (int row = 0; row < 8; ++row)
    for (int column = 0; column < 8; ++column)
      h.ecu()->setCell(8 * row + column + 1, kByRpm[static_cast<std::size_t>(column)] + kByTime[static_cast<std::size_t>(row)]);
}

// MENU and the handshake with the simulated ECU.
void connect(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
}

// Advances in steps until `done` holds or `limitMs` has passed.
template <class Pred>
void advanceUntil(Harness& h, Pred done, int limitMs, int stepMs = 100) {
  for (int t = 0; t < limitMs && !done(); t += stepMs) h.advance(stepMs);
}

// From the main menu, then from the parameter hub.
std::function<void(Harness&)> fromMenu(const char* button) {
  return [button](Harness& h) {
    connect(h);
    h.click("Form2", button);
    h.advance(600);
  };
}
std::function<void(Harness&)> fromHub(const char* button) {
  return [button](Harness& h) {
    fromMenu("Command4")(h);
    h.click("Form5", button);
    h.advance(600);
  };
}

void status(Harness& h) {
  sim::EngineModel& engine = h.ecu()->engine();
  engine.setTemperature(40);  // a cold start: the kit waits for the temperature first
  fromMenu("Command3")(h);
  h.advance(60000);  // warmed past the change-over temperature
  // A blip of the throttle past the change-over speed; on the way back down the
  // kit changes over to gas.
  engine.setRpm(3000);
  h.advance(1500);
  engine.setRpm(0);
  h.advance(5000);
}

// On gas at 1960 rpm and 4900 us of petrol injection: the ECU takes the
// coefficient from the cell at 2000 rpm and 5000 us, and the marker sits on it.
// The car needs just that coefficient, so its own ECU leaves the time untrimmed.
void calibration(Harness& h) {
  calibratedCar(h);
  h.ecu()->engine().setTemperature(80);  // warm: the kit changes over to gas at once
  h.ecu()->engine().setTrueKgb(116);
  h.ecu()->engine().setRpm(1960);
  h.ecu()->engine().setPetrolTime(4900);
  fromMenu("Command5")(h);
  h.advance(3000);
}

// The chart on the calibrated table with the third curve (2000 rpm) selected
// and one of its points read out.
void chart(Harness& h) {
  calibratedCar(h);
  fromMenu("Command5")(h);
  h.click("Form16", "Command7");  // the chart opens once the table is written
  h.advance(4000);
  h.click("Form16", "Command5");
  h.advance(600);
  h.click("Form15", "Label25");
  const int tinjColumn = 4;
  h.mousePress("Form15", {calib::chartX(tinjColumn), calib::chartY(h.ecu()->cell(calib::chartCell(3, tinjColumn)))});
  h.advance(2000);  // the selected curve blinks: caught while it is drawn
}

// Automatic calibration in its first gas phase, comparing the gas injection
// time against the petrol reference it took, on a car that needs 112.
void autoCalibration(Harness& h) {
  sim::EngineModel& engine = h.ecu()->engine();
  engine.setRpm(850);
  engine.setPetrolTime(4000);
  engine.setTrueKgb(112);
  fromMenu("Command5")(h);
  h.click("Form16", "Command8");
  advanceUntil(h, [&] { return h.window("Form8") != nullptr; }, 3000);
  if (!h.window("Form8")) return;
  h.setScroll("Form8", "VScroll1", 100);
  advanceUntil(h, [&] { return h.sentWithCommand(4).size() == 1; }, 120000);
  h.advance(3000);
}

// Multi-point calibration after five points on the simulated car's own map,
// idle and then the window's suggestions: the points on the ECU's table, the
// next suggested cell framed, the proposal with its support beside it.
void multiPoint(Harness& h) {
  sim::EngineModel& engine = h.ecu()->engine();
  engine.hold(750, sim::Load::petrolTime(2800));
  fromMenu("Command5")(h);
  h.click("Form16", "Command12");
  advanceUntil(h, [&] { return h.window("MultiPoint") != nullptr; }, 3000);
  if (!h.window("MultiPoint")) return;
  auto* w = static_cast<calib::MultiPointWindow*>(h.window("MultiPoint"));
  // Idle, then the window's own suggestions, each held on its cell's axis points.
  int rpm = 750, petrolTime = 2800;
  for (int i = 0; i < 5; ++i) {
    engine.hold(rpm, sim::Load::petrolTime(petrolTime));
    h.advance(3000);
    h.click("MultiPoint", "Command2");
    auto* accept = h.control<QWidget>("MultiPoint", "Command3");
    advanceUntil(h, [&] { return accept->isEnabled(); }, 600000, 300);
    h.click("MultiPoint", "Command3");
    auto cell = w->suggestedCell();
    if (!cell) break;
    rpm = h.shared().param(calib::rpmAxisParam((*cell - 1) % 8 + 1)).ecu;
    petrolTime = h.shared().param(calib::tinjAxisParam((*cell - 1) / 8 + 1)).ecu;
  }
  h.advance(600);
}

// End-of-line test of a four-cylinder ECU whose EEPROM check fails: the
// results are in and the window asks for the key to be switched off.
void endOfLine(Harness& h) {
  h.ecu()->selfTest().failOneCheck();
  fromMenu("Command2")(h);
  h.click("Form9", "Option1_0");
  h.click("Form9", "Command2");
  h.advance(3000);
}

// A vehicle workbook compared with the ECU before sending it: a few parameters
// and cells differ, and the workbook has no ignition coil, which is flagged.
void compare(Harness& h) {
  fromMenu("Command4")(h);
  core::Shared vehicle;
  for (int n = 1; n <= 62; ++n) vehicle.param(n).ecu = h.ecu()->param(n);
  for (int n = 1; n <= 64; ++n) vehicle.cell(n).ecu = h.ecu()->cell(n);
  for (auto [n, v] : {std::pair{2, 0}, {4, 420}, {12, 2500}, {30, 850}, {58, 2}, {62, 1}}) vehicle.param(n).ecu = v;
  for (int n : {19, 20, 27, 28}) vehicle.cell(n).ecu = 110;
  const QString path = params::archiveFolder() + QStringLiteral("/golf-1.6.xlsx");
  if (params::saveVehicle(path.toStdString(), vehicle)) return;
  h.setNextFileName(path);
  h.click("Form5", "Command10");
}

// Started with --port on an adapter that is not plugged in: the port message
// with the system's reason and the hint. The device is one that does not
// exist here, so no real adapter is ever opened.
void portFailure(Harness& h) {
  QString device;
  for (int n = 9; n < 100 && device.isEmpty(); ++n) {
    QString candidate = QStringLiteral("/dev/ttyUSB%1").arg(n);
    if (!QFileInfo::exists(candidate)) device = candidate;
  }
  h.shared().commandLineDevice = device.toStdString();
  h.click("Form1", "Command1");
}

// The level editor after a write (here of unchanged values): it then follows
// the tank sender live, with the level lamps lit.
void indicator(Harness& h) {
  fromHub("Command4")(h);
  h.click("Form14", "Option2");
  h.click("Form14", "Command2");
  h.advance(2000);
}

// The other-parameters editor in writing mode with a minimum temperature typed
// above the maximum: the fields marked and the warning line under them.
void otherParametersWarning(Harness& h) {
  fromHub("Command6")(h);
  h.click("Form13", "Option2");
  h.setText("Form13", "Text4", "90");
  h.setText("Form13", "Text5", "80");
}

// The update started and acknowledged: all three instructions are up, just
// before the window closes to hand the port over.
void softwareUpdate(Harness& h) {
  fromMenu("Command6")(h);
  h.click("Form7", "Command2");
  h.advance(4000);
}

// The simulator's demo drive on a warm car, for `seconds`: idle, pull-aways,
// cruising, a hard acceleration and decelerations with the fuel cut.
void drive(Harness& h, int seconds) {
  h.ecu()->engine().setDrive(sim::Drive::demo());
  h.advance(seconds * 1000);
}

// The simulated ECU on a 9600-baud line with 2 ms of its own: the oscilloscope
// then samples at the pace of a real one.
void realLine(Harness& h) {
  h.ecu()->setLineBaud(9600);
  h.ecu()->setLatencyMs(2);
}

// The oscilloscope on a warm car during the demo drive, paused, the cursor on
// the deceleration with the fuel cut.
void oscilloscope(Harness& h) {
  calibratedCar(h);
  h.ecu()->engine().setTemperature(80);
  connect(h);
  realLine(h);
  h.click("Form2", "Command7");
  h.setCombo("Oscilloscope", "TimeWindow", 2);  // 1 min
  drive(h, 60);
  h.click("Oscilloscope", "Pause");
  auto* w = qobject_cast<scope::OscilloscopeWindow*>(h.window("Oscilloscope"));
  if (!w || w->shown().empty()) return;
  const std::int64_t at = w->shown().lastMs() - 3000;
  h.mousePress("Oscilloscope", w->traces()->mapTo(w, w->traces()->positionOf(datalog::Ch::kRpm, at)));
}

// Every live-data channel of the oscilloscope during the demo drive: the
// strips keep their height and the stack scrolls, time labels under each.
void oscilloscopeAllChannels(Harness& h) {
  calibratedCar(h);
  h.ecu()->engine().setTemperature(80);
  connect(h);
  realLine(h);
  h.click("Form2", "Command7");
  auto* list = h.control<QListWidget>("Oscilloscope", "Channels");
  if (!list) return;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->flags() & Qt::ItemIsEnabled) list->item(i)->setCheckState(Qt::Checked);
  drive(h, 30);
}

// Two minutes of the demo drive recorded with the oscilloscope and opened in
// its viewer, the second minute shown, the cursor on a cruise. The recording goes to a folder of its own, gone once read.
void logViewer(Harness& h) {
  const QByteArray home = qgetenv("HOME");
  QTemporaryDir folder;
  qputenv("HOME", folder.path().toUtf8());
  calibratedCar(h);
  h.ecu()->engine().setTemperature(80);
  connect(h);
  realLine(h);
  h.click("Form2", "Command7");
  h.click("Oscilloscope", "Record");
  drive(h, 120);
  h.click("Oscilloscope", "Record");
  qputenv("HOME", home);
  QDir logs(folder.path() + QStringLiteral("/TAVRIN_IE/Logs"));
  const QStringList files = logs.entryList({QStringLiteral("*.csv")});
  auto* w = qobject_cast<scope::OscilloscopeWindow*>(h.window("Oscilloscope"));
  if (!w || files.isEmpty() || !w->openLog(logs.filePath(files.front()))) return;
  h.setCombo("Oscilloscope", "TimeWindow", 2);  // 1 min
  h.setScroll("Oscilloscope", "TimeScroll", 600);  // from 60 s
  const std::int64_t at = w->shown().firstMs() + 95000;
  h.mousePress("Oscilloscope", w->traces()->mapTo(w, w->traces()->positionOf(datalog::Ch::kRpm, at)));
}

// The cell map of that drive, on gas.
void cellMap(Harness& h) {
  logViewer(h);
  h.click("Oscilloscope", "OpenCellMap");
}

}  // namespace

const std::vector<Scene>& scenes() {
  static const std::vector<Scene> all = {
      {"start", "Form1", [](Harness&) {}},
      {"serial-settings", "Form4", [](Harness& h) { h.click("Form1", "Command6"); }},
      {"line-failure", "Form12",
       [](Harness& h) {
         h.ecu()->setSilent(true);
         h.click("Form1", "Command1");
         h.advance(1000);
       }},
      {"port-failure", "Form12", portFailure},
      {"main-menu", "Form2", connect},
      {"status", "Form3", status},
      {"parameters", "Form5", fromMenu("Command4")},
      {"lambda-parameters", "Form6", fromHub("Command1")},
      {"cutoff-parameters", "Form10", fromHub("Command2")},
      {"switching-parameters", "Form11", fromHub("Command3")},
      {"indicator-parameters", "Form14", indicator},
      {"other-parameters", "Form13", fromHub("Command6")},
      {"other-parameters-warning", "Form13", otherParametersWarning},
      {"compare", "Compare", compare},
      {"calibration", "Form16", calibration},
      {"calibration-chart", "Form15", chart},
      {"auto-calibration", "Form8", autoCalibration},
      {"multipoint-calibration", "MultiPoint", multiPoint},
      {"end-of-line", "Form9", endOfLine},
      {"software-update", "Form7", softwareUpdate},
      {"oscilloscope", "Oscilloscope", oscilloscope},
      {"oscilloscope-all-channels", "Oscilloscope", oscilloscopeAllChannels},
      {"log-viewer", "Oscilloscope", logViewer},
      {"cell-map", "CellMap", cellMap},
  };
  return all;
}

QWidget* stage(Harness& h, const Scene& scene, int language) {
  h.click("Form1", kLanguageButton[language]);
  scene.setUp(h);
  QWidget* w = h.window(QString::fromLatin1(scene.form));
  if (w && w->layout()) w->layout()->activate();
  return w;
}

}  // namespace kelvo6::testing

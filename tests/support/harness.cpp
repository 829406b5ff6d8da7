#include "support/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <optional>
#include <stdexcept>
#include <utility>

#include "app/app.h"
#include "history/location.h"
#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/qt_serial_port.h"
#include "platform/virtual_scheduler.h"
#include "sim/ecu.h"

namespace kelvo6::testing {

namespace {
QtMessageHandler g_previousHandler = nullptr;
// The offscreen platform warns about window features it lacks; that is noise here.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  if (g_previousHandler) g_previousHandler(type, context, message);
}
}  // namespace

void ensureApplication() {
  if (QApplication::instance()) return;
  g_previousHandler = qInstallMessageHandler(quietHandler);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kelvo6-tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  (void)application;
}

namespace {

// Desktop services whose answers the test sets.
class TestDesktop : public platform::Desktop {
 public:
  void setKeepOnTop(QWidget* w, bool onTop) override {
    if (w) w->setProperty("keepOnTop", onTop);
  }
  void beep() override { ++beeps; }
  QPoint cursorPos(QWidget*) override { return cursor; }
  QString chooseFile(QWidget*, const platform::FileDialogRequest& r) override {
    lastTitle = r.title;
    lastFolder = r.folder;
    QString answer = nextFiles.empty() ? QString() : nextFiles.front();
    if (!nextFiles.empty()) nextFiles.pop_front();
    return answer;
  }
  bool confirm(QWidget*, const platform::Question& q) override {
    lastQuestion = q.text;
    return std::exchange(nextAnswer, true);
  }
  int beeps = 0;
  bool nextAnswer = true;
  QString lastQuestion;
  QPoint cursor;
  std::deque<QString> nextFiles;  // answers of the next dialogs, in order
  QString lastTitle, lastFolder;
};

// A pseudo-terminal reached through a link of its own, as a USB adapter is
// through /dev/serial/by-id: the link survives the device and can be pointed
// at a fresh one, so the program opens the same path again.
class Pty {
 public:
  Pty() {
    char folder[] = "/tmp/kelvo6-line-XXXXXX";
    if (!::mkdtemp(folder)) throw std::runtime_error("cannot create a folder for the line's link");
    folder_ = folder;
    linkPath = folder_ + "/ecu";
    open();
  }
  ~Pty() {
    if (master >= 0) ::close(master);
    ::unlink(linkPath.c_str());
    ::rmdir(folder_.c_str());
  }
  void hangUp() {
    ::close(master);
    master = -1;
  }
  void open() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
      throw std::runtime_error("cannot create a pseudo-terminal");
    slavePath = ::ptsname(master);
    // Raw before the program opens it, so nothing is echoed back.
    int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
      termios t{};
      ::tcgetattr(slave, &t);
      ::cfmakeraw(&t);
      ::tcsetattr(slave, TCSANOW, &t);
      ::close(slave);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::unlink(linkPath.c_str());
    if (::symlink(slavePath.c_str(), linkPath.c_str()) != 0) throw std::runtime_error("cannot link the line");
  }
  int master = -1;
  std::string slavePath;
  std::string linkPath;

 private:
  std::string folder_;
};

constexpr int kLineTimeoutMs = 3000;  // only reached when something is broken

// The program writes under $HOME (vehicle archive, production records). A test
// that has not pointed HOME at a temporary folder of its own gets one, so that
// no test writes into the real home.
class TestHome {
 public:
  TestHome() : previous_(qgetenv("HOME")) {
    if (QDir::homePath().startsWith(QDir::tempPath())) return;
    dir_.emplace();
    qputenv("HOME", dir_->path().toUtf8());
  }
  ~TestHome() {
    if (dir_) qputenv("HOME", previous_);
  }
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

 private:
  QByteArray previous_;
  std::optional<QTemporaryDir> dir_;
};

}  // namespace

class Harness::Impl {
 public:
  explicit Impl(HarnessOptions o) : options(o) {
    ensureApplication();
    if (o.simulatedEcu) {
      ecu = std::make_unique<sim::Ecu>(o.ecuLatencyMs);
    }
    shared.commandLineDevice = o.portOpens ? pty.linkPath : std::string("/dev/kelvo6-test-no-such-port");
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->navigator().setFollowWindowSystem(false);
    app->onProgramEnd = [this] { ended = true; };
    if (o.keepsHistory) {
      std::string error;
      app->openHistory(*history::parseLocation({}, QDir::homePath().toStdString(), &error));
    }
    scheduler.afterEach = [this] { pump(); };
    app->start();
    pump();
  }

  ~Impl() {
    scheduler.afterEach = nullptr;
    app.reset();
    flushDeletes();
  }

  static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // Moves what the program wrote to the simulated ECU, and schedules its answers.
  void pump() {
    std::uint64_t target = port.bytesWritten();
    std::uint8_t buffer[512];
    while (fromProgram < target) {
      ssize_t n = ::read(pty.master, buffer, sizeof buffer);
      if (n > 0) {
        fromProgram += static_cast<std::uint64_t>(n);
        outgoing.insert(outgoing.end(), buffer, buffer + n);
        continue;
      }
      pollfd p{pty.master, POLLIN, 0};
      if (::poll(&p, 1, kLineTimeoutMs) <= 0) throw std::runtime_error("bytes written by the program did not arrive");
    }
    while (outgoing.size() >= 5 && outgoing[3] >= 5 && outgoing.size() >= outgoing[3]) {
      Frame f(outgoing.begin(), outgoing.begin() + outgoing[3]);
      outgoing.erase(outgoing.begin(), outgoing.begin() + outgoing[3]);
      sentFrames.push_back(f);
      if (ecu) ecu->receive(f, scheduler.nowMs());
    }
    scheduleDelivery();
    flushDeletes();
  }

  void scheduleDelivery() {
    if (!ecu) return;
    auto due = ecu->nextDueMs();
    if (!due) return;
    if (deliveryAt && *deliveryAt <= *due) return;
    deliveryAt = *due;
    std::int64_t at = *due;
    scheduler.post(static_cast<int>(std::max<std::int64_t>(0, at - scheduler.nowMs())), [this, at] {
      if (deliveryAt && *deliveryAt == at) deliveryAt.reset();
      for (const Frame& out : ecu->takeDue(scheduler.nowMs())) toProgram(out);
      scheduleDelivery();
    });
  }

  // Bytes from the ECU side of the line, handled by the program before returning.
  void toProgram(const Frame& bytes) {
    if (!port.isOpen() || bytes.empty()) return;  // nobody listens: lost on the line
    std::size_t written = 0;
    while (written < bytes.size()) {
      ssize_t n = ::write(pty.master, bytes.data() + written, bytes.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      else throw std::runtime_error("cannot write to the pseudo-terminal");
    }
    std::uint64_t target = port.bytesReceived() + bytes.size();
    while (port.isOpen() && port.bytesReceived() < target) {
      if (!port.waitForInput(kLineTimeoutMs) && port.bytesReceived() < target)
        throw std::runtime_error("bytes sent to the program were not received");
    }
  }

  QWidget* find(const QString& form) const { return app->navigator().find(form); }
  QWidget* need(const QString& form, const QString& name) const {
    QWidget* w = find(form);
    if (!w) throw std::runtime_error(("window not loaded: " + form).toStdString());
    if (name.isEmpty()) return w;
    QWidget* c = w->findChild<QWidget*>(name);
    if (!c) throw std::runtime_error(("no control " + name + " on " + form).toStdString());
    return c;
  }

  HarnessOptions options;
  TestHome home;
  core::Shared shared;
  platform::VirtualScheduler scheduler;
  Pty pty;
  platform::QtSerialPort port;
  TestDesktop desktop;
  std::unique_ptr<sim::Ecu> ecu;
  std::unique_ptr<app::App> app;
  std::vector<Frame> sentFrames;
  Frame outgoing;
  std::uint64_t fromProgram = 0;
  std::optional<std::int64_t> deliveryAt;
  bool ended = false;
};

Harness::Harness(HarnessOptions options) : impl_(std::make_unique<Impl>(options)) {}
Harness::~Harness() = default;

void Harness::advance(int ms) {
  impl_->scheduler.advance(ms);
  impl_->pump();
}

QWidget* Harness::window(const QString& form) const { return impl_->find(form); }

void Harness::click(const QString& form, const QString& name) {
  QWidget* c = impl_->need(form, name);
  if (auto* b = qobject_cast<QAbstractButton*>(c)) {
    if (b->isEnabled() && b->isVisibleTo(b->window())) b->click();
  } else {
    QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
  }
  impl_->pump();
}

void Harness::typeKeys(const QString& form, const QString& name, const QString& keys) {
  QWidget* c = impl_->need(form, name);
  for (QChar ch : keys) {
    if (ch == QLatin1Char('\b')) {
      QTest::keyClick(c, Qt::Key_Backspace);
    } else if (ch == QChar(0x7F)) {
      QTest::keyClick(c, Qt::Key_Delete);
    } else {
      QTest::keyClicks(c, QString(ch));
    }
  }
  impl_->pump();
}

void Harness::setText(const QString& form, const QString& name, const QString& text) {
  QWidget* c = impl_->need(form, name);
  if (auto* e = qobject_cast<QLineEdit*>(c)) {
    if (e->isReadOnly() || !e->isEnabled()) return;  // a locked field takes nothing
    e->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(e, Qt::Key_Delete);
    } else {
      QApplication::clipboard()->setText(text);
      QTest::keySequence(e, QKeySequence::Paste);
    }
  } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
    combo->setEditText(text);
  }
  impl_->pump();
}

void Harness::setScroll(const QString& form, const QString& name, int value) {
  if (auto* s = qobject_cast<QScrollBar*>(impl_->need(form, name))) {
    if (s->isEnabled()) s->setValue(value);
  }
  impl_->pump();
}

void Harness::setCombo(const QString& form, const QString& name, int index) {
  if (auto* c = qobject_cast<QComboBox*>(impl_->need(form, name))) c->setCurrentIndex(index);
  impl_->pump();
}

void Harness::mousePress(const QString& form, QPoint clientPos) {
  QWidget* w = impl_->need(form, {});
  impl_->desktop.cursor = clientPos;
  QWidget* target = w->childAt(clientPos);
  if (!target) target = w;
  QTest::mousePress(target, Qt::LeftButton, {}, target->mapFrom(w, clientPos));
  impl_->pump();
}

void Harness::activate(const QString& form) {
  if (auto* s = qobject_cast<app::Screen*>(impl_->find(form))) impl_->app->navigator().activate(s);
  impl_->pump();
}

void Harness::close(const QString& form) {
  if (QWidget* w = impl_->find(form)) w->close();
  impl_->pump();
}

std::vector<Frame> Harness::sent() const { return impl_->sentFrames; }
void Harness::clearSent() { impl_->sentFrames.clear(); }

std::vector<Frame> Harness::sentWithCommand(int command) const {
  std::vector<Frame> out;
  for (const Frame& f : impl_->sentFrames)
    if (f.size() >= 5 && f[4] == command) out.push_back(f);
  return out;
}

void Harness::reply(const Frame& chunk) {
  impl_->toProgram(chunk);
  impl_->pump();
}

int Harness::beeps() const { return impl_->desktop.beeps; }
void Harness::setNextFileName(const QString& path) { impl_->desktop.nextFiles = {path}; }
void Harness::setNextFileNames(const QStringList& paths) {
  impl_->desktop.nextFiles.assign(paths.begin(), paths.end());
}
QString Harness::lastDialogTitle() const { return impl_->desktop.lastTitle; }
QString Harness::lastDialogFolder() const { return impl_->desktop.lastFolder; }
int Harness::openedPort() const { return impl_->app->connection().openedPort(); }
QString Harness::openedSettings() const {
  return QString::fromStdString(impl_->app->connection().openedSettings());
}
bool Harness::programEnded() const { return impl_->ended; }
sim::Ecu* Harness::ecu() { return impl_->ecu.get(); }
core::Shared& Harness::shared() { return impl_->shared; }
app::App& Harness::app() { return *impl_->app; }
std::int64_t Harness::nowMs() const { return impl_->scheduler.nowMs(); }
void Harness::setNextConfirmation(bool yes) { impl_->desktop.nextAnswer = yes; }
QString Harness::lastConfirmation() const { return impl_->desktop.lastQuestion; }
bool Harness::portOpen() const { return impl_->port.isOpen(); }

void Harness::losePort() {
  impl_->pty.hangUp();
  // The port notices the hang-up on its next read or its periodic check.
  QElapsedTimer waited;
  waited.start();
  while (impl_->port.isOpen() && waited.elapsed() < kLineTimeoutMs) {
    impl_->port.waitForInput(50);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  if (impl_->port.isOpen()) throw std::runtime_error("the program did not notice the lost port");
  impl_->pump();
}

}  // namespace kelvo6::testing

namespace kelvo6::testing {

void Harness::restorePort() {
  if (impl_->pty.master >= 0) return;
  impl_->pty.open();
  impl_->outgoing.clear();  // a request cut by the hang-up never reached the ECU
  impl_->fromProgram = impl_->port.bytesWritten();
  impl_->pump();
}

}  // namespace kelvo6::testing

#include "shell/start_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/connection.h"
#include "app/navigator.h"
#include "app/texts.h"
#include "shell/flags.h"
#include "shell/main_menu.h"
#include "shell/old_line.h"
#include "shell/port_message.h"
#include "platform/widgets.h"

namespace kelvo6::shell {

namespace {

using core::Text3;

constexpr app::ControlText kTexts[] = {
    {"Command6", {"Parametri seriale", "Serial parameters", "Seri Iletisim Parametreleri"}},
    {"Command7", {"Non connesso", "OFF line", "Iletisim Yok"}},
    {"Command2", {"EXIT", "EXIT", "CIKIS"}},
    {"Label16", {"VERSIONE SW", "SW VERSION", "YAZILIM VERSIYONU"}},
};
// The title a language button sets while not connected; the toggle and the
// activation use the other Turkish wording, as the ECU's older tools did.
constexpr Text3 kTitleNotConnectedOnLanguage{"KELVO6 - Non connesso", "KELVO6 - Not connected",
                                             "KELVO6 - Iletisim Kurulamandi"};
constexpr Text3 kTitleNotConnected{"KELVO6 - Non connesso", "KELVO6 - Not connected", "KELVO6 - Iletisim Yok"};
constexpr const char* kTitleConnected = "KELVO6";

QPushButton* button(QWidget* parent, const char* name, const QString& text = {}) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

}  // namespace

StartWindow::StartWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Form1")) {
  setWindowTitle(QStringLiteral(" NUMERAX - KELVO6"));

  auto* logo = new QLabel(this);
  logo->setObjectName("Image1");
  logo->setPixmap(logoPixmap());
  auto* product = new QLabel(QStringLiteral("KELVO 6"), this);
  product->setObjectName("Label1");
  QFont big = product->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  product->setFont(big);
  auto* line = new QLabel(QStringLiteral("Sequential Injection System"), this);
  line->setObjectName("Label2");

  QPushButton* flags[3] = {button(this, "Command3"), button(this, "Command4"), button(this, "Command5")};
  for (int i = 0; i < 3; ++i) {
    flags[i]->setIcon(flagIcon(i + 1));
    flags[i]->setIconSize(QSize(60, 40));
    flags[i]->setToolTip(QStringList{"Italiano", "English", "Türkçe"}[i]);
    connect(flags[i], &QPushButton::clicked, this, [this, i] { chooseLanguage(i + 1); });
  }

  menu_ = button(this, "Command1", QStringLiteral("MENU"));
  exit_ = button(this, "Command2", QStringLiteral("EXIT"));
  serial_ = button(this, "Command6", QStringLiteral("Parametri seriale"));
  notConnected_ = button(this, "Command7", QStringLiteral("Non connesso"));
  version_ = new QLineEdit(this);
  version_->setObjectName("Text1");
  version_->setReadOnly(true);
  version_->setAlignment(Qt::AlignCenter);
  version_->setMaximumWidth(120);
  platform::keepRoomFor(version_, QStringLiteral("**.**.**"));
  versionHeading_ = new QLabel(QStringLiteral("VERSIONE SW"), this);
  versionHeading_->setObjectName("Label16");

  menu_->setDefault(true);
  platform::setDialogKeys(this, menu_, nullptr);  // Escape here would end the program
  for (QPushButton* b : {menu_, exit_, serial_, notConnected_}) b->setMinimumHeight(34);

  auto* top = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  head->addWidget(logo);
  auto* names = new QVBoxLayout;
  names->addWidget(product);
  names->addWidget(line);
  head->addLayout(names, 1);
  top->addLayout(head);
  auto* flagRow = new QHBoxLayout;
  for (auto* f : flags) flagRow->addWidget(f);
  top->addLayout(flagRow);
  auto* grid = new QGridLayout;
  grid->addWidget(menu_, 0, 0);
  grid->addWidget(notConnected_, 0, 1);
  grid->addWidget(serial_, 1, 0);
  grid->addWidget(exit_, 1, 1);
  top->addLayout(grid);
  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(versionHeading_);
  versionRow->addWidget(version_);
  versionRow->addStretch();
  top->addLayout(versionRow);

  connect(menu_, &QPushButton::clicked, this, [this] { menu(); });
  connect(exit_, &QPushButton::clicked, this, [this] { close(); });
  connect(serial_, &QPushButton::clicked, this, [this] { serialSettings(); });
  connect(notConnected_, &QPushButton::clicked, this, [this] { toggleNotConnected(); });
}

void StartWindow::load() {
  shared().resetRunDefaults();
  version_->setText(QString::fromLatin1(kProgramVersion));
}

void StartWindow::activate() {
  auto& s = shared();
  if (s.softwareUpdateStarted && !s.notConnected) {
    // The download tool needs the port: release it and end the program.
    ctx().connection.close();
    close();
    return;
  }
  showModeTitle(false);
}

void StartWindow::unload() { ctx().connection.close(); }

void StartWindow::showModeTitle(bool onLanguageButton) {
  bool off = shared().notConnected;
  if (off) {
    setWindowTitle(app::text3(onLanguageButton ? kTitleNotConnectedOnLanguage : kTitleNotConnected, language()));
  } else {
    setWindowTitle(QString::fromLatin1(kTitleConnected));
  }
  serial_->setEnabled(!off);
}

void StartWindow::chooseLanguage(int lang) {
  shared().language = lang;
  app::applyTexts(this, kTexts, lang);
  showModeTitle(true);
}

void StartWindow::toggleNotConnected() {
  shared().notConnected = !shared().notConnected;
  showModeTitle(false);
}

void StartWindow::menu() {
  auto& s = shared();
  auto& link = ctx().connection;
  bool newConnection = false;
  if (!link.isOpen() && !s.notConnected) {
    std::string reason;
    if (!link.open(&reason)) {
      showPortFailure(ctx(), this, reason);
      return;
    }
    newConnection = true;
  }
  s.received.version = false;
  s.handshakeAttempts = 0;
  s.received.paramSet = false;
  s.received.table = false;
  // A new connection starts clean: a link lost before does not close it again.
  s.lostLinkCounter = 0;
  ctx().desktop.setKeepOnTop(this, false);
  // Windows left open from before a lost line showed the old ECU: they close.
  const bool closedOld = newConnection && closeWindowsOfTheOldLine(ctx().navigator, this);
  // The menu may still be open from before the line was lost; then it reads
  // the ECU again as on a fresh start.
  auto* loaded = dynamic_cast<MainMenu*>(ctx().navigator.find(QStringLiteral("Form2")));
  app::Screen* menu = ctx().navigator.open(QStringLiteral("Form2"), this);
  if (loaded && newConnection) loaded->reconnect();
  if (closedOld) showWindowsClosed(ctx().navigator, menu, s.language);
}

void StartWindow::serialSettings() {
  ctx().desktop.setKeepOnTop(this, false);
  ctx().connection.close();
  ctx().navigator.open(QStringLiteral("Form4"), this);
}

}  // namespace kelvo6::shell

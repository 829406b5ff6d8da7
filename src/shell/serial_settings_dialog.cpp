#include "shell/serial_settings_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/connection.h"
#include "app/texts.h"
#include "platform/network_address.h"
#include "platform/serial_port.h"
#include "shell/port_refusal.h"
#include "platform/widgets.h"

namespace kelvo6::shell {

namespace {

const QStringList kPorts{"COM1", "COM2", "COM3", "COM4"};
QStringList baudEntries() {
  QStringList entries;
  for (int b : platform::standardBauds()) entries << QString::number(b);
  return entries;
}
const QStringList kDataBits{"4", "5", "6", "7", "8"};
const QStringList kParities{"none", "odd", "even"};
const QStringList kStopBits{"1", "1.5", "2"};

constexpr app::ControlText kTexts[] = {
    {"title", {"PARAMETRI PORTA SERIALE", "SERIAL PORT PARAMETERS", "SERI PORT PARAMETRELERI"}},
    {"Command1", {"OK", "OK", "TAMAM"}},
    {"Command2", {"Cancel", "Cancel", "Iplat"}},
};

template <class T>
T at(const std::vector<T>& v, int index, T fallback) {
  return index >= 0 && index < static_cast<int>(v.size()) ? v[static_cast<std::size_t>(index)] : fallback;
}

}  // namespace

PortChoice portChoiceFrom(int portIndex, const QString& portText, const QStringList& listedDevices, int baudIndex,
                          int dataIndex, int parityIndex, int stopIndex) {
  PortChoice c;
  int listed = portIndex - static_cast<int>(kPorts.size());
  QString typed = portText.trimmed();
  if (portIndex >= 0 && portIndex < kPorts.size()) {
    c.portNumber = portIndex + 1;
  } else if (listed >= 0 && listed < listedDevices.size()) {
    c.portNumber = portIndex + 1;
    c.device = listedDevices[listed].toStdString();
  } else if (typed.startsWith('/') || platform::isNetworkPort(typed.toStdString())) {
    // A device path typed by the fitter, e.g. /dev/ttyUSB0, or a network serial
    // server, tcp://HOST:PORT or rfc2217://HOST:PORT.
    c.device = typed.toStdString();
  }
  std::string baud = std::to_string(at<int>(platform::standardBauds(), baudIndex, 9600));
  std::string parity = at<std::string>({"n", "o", "e"}, parityIndex, "n");
  std::string data = at<std::string>({"4", "5", "6", "7", "8"}, dataIndex, "8");
  std::string stop = at<std::string>({"1", "1.5", "2"}, stopIndex, "1");
  c.settings = baud + "," + parity + "," + data + "," + stop;
  return c;
}

SerialSettingsDialog::SerialSettingsDialog(app::Context& ctx) : Screen(ctx, QStringLiteral("Form4")) {
  setWindowTitle(QStringLiteral("PARAMETRI PORTA SERIALE"));
  port_ = combo("Combo1", kPorts, "COM1");
  baud_ = combo("Combo2", baudEntries(), "9600");
  data_ = combo("Combo3", kDataBits, "8");
  parity_ = combo("Combo4", kParities, "None");
  stop_ = combo("Combo5", kStopBits, "1");
  port_->setMinimumWidth(260);

  auto* form = new QFormLayout;
  const char* labels[] = {"Port", "Baud Rate", "Data bits", "Parity", "Stop Bits"};
  QComboBox* combos[] = {port_, baud_, data_, parity_, stop_};
  for (int i = 0; i < 5; ++i) {
    auto* l = new QLabel(QString::fromLatin1(labels[i]), this);
    l->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    l->setBuddy(combos[i]);
    form->addRow(l, combos[i]);
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("Command1");
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("Command2");
  refusal_ = new QLabel(this);
  refusal_->setObjectName("Label6");
  refusal_->setWordWrap(true);
  platform::setForeColor(refusal_, core::colour::kRed);
  refusal_->hide();
  farEnd_ = new QLabel(this);
  farEnd_->setObjectName("Label7");
  farEnd_->setWordWrap(true);
  farEnd_->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* v = new QVBoxLayout(this);
  v->addLayout(form);
  v->addWidget(farEnd_);
  v->addWidget(refusal_);
  v->addLayout(buttons);
  platform::setDialogKeys(this, ok, cancel);
  connect(ok, &QPushButton::clicked, this, [this] { this->ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
}

QComboBox* SerialSettingsDialog::combo(const char* name, const QStringList& entries, const QString& initial) {
  auto* c = new QComboBox(this);
  c->setObjectName(QString::fromLatin1(name));
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->addItems(entries);
  c->setCurrentIndex(-1);
  c->setEditText(initial);
  return c;
}

void SerialSettingsDialog::load() {
  app::applyTexts(this, kTexts, language());
  // After COM1..COM4, the serial ports the system reports (USB adapters).
  for (const platform::SystemPort& p : platform::systemPorts()) {
    QString device = QString::fromStdString(p.device);
    listedDevices_ << device;
    QString text = p.description.empty() ? device : device + "  (" + QString::fromStdString(p.description) + ")";
    port_->addItem(text, device);
  }
  port_->setCurrentIndex(-1);
  port_->setEditText(QStringLiteral("COM1"));
  // After a network server was used: what it set the line to.
  auto& link = ctx().connection;
  std::string note = farEndNote(link.openedDevice(), link.port(), language());
  farEnd_->setText(QString::fromStdString(note));
  farEnd_->setVisible(!note.empty());
}

void SerialSettingsDialog::ok() {
  // A typed text that names an entry counts as choosing that entry.
  auto chosen = [](QComboBox* c) {
    if (c->currentIndex() >= 0 && c->itemText(c->currentIndex()) == c->currentText()) return c->currentIndex();
    return c->findText(c->currentText().trimmed(), Qt::MatchFixedString);
  };
  PortChoice choice = portChoiceFrom(chosen(port_), port_->currentText(), listedDevices_, chosen(baud_), chosen(data_),
                                     chosen(parity_), chosen(stop_));
  const int baudIndex = chosen(baud_);
  if (refuse({baud_->currentText().trimmed().toStdString(), baudIndex >= 0, choice.device, choice.settings})) return;
  auto& s = shared();
  s.portNumber = choice.portNumber;
  s.portDevice = choice.device;
  s.portSettings = choice.settings;
  close();
}

bool SerialSettingsDialog::refuse(const DialogEntries& entries) {
  std::string why = refusalOf(entries, language());
  if (why.empty()) return false;
  refusal_->setText(QString::fromStdString(why));
  refusal_->show();
  (entries.baudListed ? static_cast<QWidget*>(data_) : baud_)->setFocus();
  // The window may already be on show: let it grow to the wrapped lines.
  layout()->activate();
  adjustSize();
  return true;
}

}  // namespace kelvo6::shell

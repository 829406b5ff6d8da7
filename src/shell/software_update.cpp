#include "shell/software_update.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/texts.h"
#include "link/requests.h"

namespace kelvo6::shell {

namespace {

constexpr app::ControlText kTexts[] = {
    {"title", {"KELVO6 - Scarico applicativo", "KELVO6 - Downloading of application", "KELVO6 - Uygulamalari Yukle"}},
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
    {"Command2", {"Aggiorna applicativo", "Update software version", "Yazilimi Versiyonunu Guncelle"}},
    {"Label1", {"Uscire dal programma", "Exit from this application", "Bu Uygulamadan Cik"}},
    {"Label2", {"Togliere e ridare chiave", "Turn key off and on", "Anahtari Kapatip Acin"}},
    {"Label3", {"Lanciare applicativo di scarico", "Start downloading", "Yuklemeye Basla"}},
};

constexpr int kAskMs = 500;
constexpr int kStepMs = 1500;

}  // namespace

SoftwareUpdateScreen::SoftwareUpdateScreen(app::Context& ctx) : Screen(ctx, QStringLiteral("Form7")) {
  setWindowTitle(QStringLiteral("KELVO6 - Scarico applicativo"));
  auto* update = new QPushButton(QStringLiteral("Aggiorna applicativo"), this);
  update->setObjectName("Command2");
  auto* exit = new QPushButton(QStringLiteral("EXIT"), this);
  exit->setObjectName("Command1");
  for (QPushButton* b : {update, exit}) b->setMinimumHeight(34);

  auto* v = new QVBoxLayout(this);
  v->addWidget(update);
  const char* designTexts[3] = {"Uscire dal programma", "Togliere e ridare chiave", "Lanciare applicativo di scarico"};
  for (int i = 0; i < 3; ++i) {
    auto* l = new QLabel(QString::fromLatin1(designTexts[i]), this);
    l->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    l->setFont(f);
    l->hide();
    instructions_[static_cast<std::size_t>(i)] = l;
  }
  // The instructions appear one by one; keep their room so the window does not jump.
  for (QLabel* l : instructions_) {
    QSizePolicy p = l->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    l->setSizePolicy(p);
    v->addWidget(l);
  }
  v->addWidget(exit, 0, Qt::AlignRight);
  setMinimumWidth(380);

  connect(update, &QPushButton::clicked, this, [this] { start(); });
  connect(exit, &QPushButton::clicked, this, [this] {
    timer_->stop();
    close();
  });
  timer_ = makeTimer("Timer1", kAskMs, [this] { tick(); });
}

SoftwareUpdateScreen::~SoftwareUpdateScreen() = default;

void SoftwareUpdateScreen::load() { app::applyTexts(this, kTexts, language()); }

void SoftwareUpdateScreen::activate() { step_ = 0; }

void SoftwareUpdateScreen::unload() { timer_->stop(); }

void SoftwareUpdateScreen::start() {
  shared().softwareUpdateStarted = true;
  send(link::enterDownloadMode());
  timer_->start();
}

void SoftwareUpdateScreen::tick() {
  timer_->stop();
  if (!shared().received.downloadAck) {
    send(link::enterDownloadMode());
    timer_->start();
    return;
  }
  timer_->setInterval(kStepMs);
  const int step = step_++;
  if (step >= static_cast<int>(instructions_.size())) {
    close();
    return;
  }
  instructions_[static_cast<std::size_t>(step)]->show();
  timer_->start();
}

}  // namespace kelvo6::shell

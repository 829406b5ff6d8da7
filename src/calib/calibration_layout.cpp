// Builds the widgets of the vehicle calibration window. The grid and the
// marker sit at their twip positions (15 twips to a pixel); everything else is
// laid out around them.

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include "calib/calibration_window.h"
#include "record/record_toggle.h"
#include "calib/correctives.h"
#include "calib/kgb_table.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {

constexpr int px(int twips) { return twips / kTwipsPerPixel; }
constexpr int kCellWidth = px(kGridColumnTwips);  // 56
constexpr int kCellHeight = px(kGridRowTwips);    // 32
constexpr int kMarkerSize = 24;

// The operating-point marker: a ring over the grid that lets clicks through to
// the field beneath.
class Marker : public QWidget {
 public:
  explicit Marker(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 0, 0), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(rect().adjusted(2, 2, -2, -2));
  }
};

QPushButton* makeButton(QWidget* parent, int number, const char* caption, QRect where) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(QStringLiteral("Command%1").arg(number));
  b->setGeometry(where);
  return b;
}

QScrollBar* makeScroll(QWidget* parent, const char* name, int min, int max, QRect where) {
  auto* s = new QScrollBar(Qt::Vertical, parent);
  s->setObjectName(QString::fromLatin1(name));
  s->setRange(min, max);
  s->setPageStep(1);
  s->setGeometry(where);
  return s;
}

}  // namespace

QLineEdit* CalibrationWindow::addField(const char* name, const char* caption, int x, int y, QWidget* parent,
                                       int captionWidth, int fieldWidth) {
  if (caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QStringLiteral("Label_%1").arg(QString::fromLatin1(name)));
    label->setGeometry(x, y, captionWidth, 24);
    x += captionWidth + 2;
  }
  auto* f = new QLineEdit(parent);
  f->setObjectName(QString::fromLatin1(name));
  f->setGeometry(x, y, fieldWidth, 24);
  f->setAlignment(Qt::AlignRight);
  fields_[f->objectName()] = f;
  return f;
}

void CalibrationWindow::buildGrid() {
  auto* tinjHeading = new QLabel(QStringLiteral("TINJ"), this);
  tinjHeading->setObjectName("LabelTinj");
  tinjHeading->setGeometry(px(240), 4, kCellWidth, 18);
  tinjHeading->setAlignment(Qt::AlignCenter);
  auto* rpmHeading = new QLabel(QStringLiteral("RPM"), this);
  rpmHeading->setObjectName("LabelRpm");
  rpmHeading->setGeometry(px(kGridLeftTwips), 4, 8 * kCellWidth, 18);
  rpmHeading->setAlignment(Qt::AlignCenter);

  QFont gridFont = font();
  gridFont.setPointSize(8);
  for (int i = 0; i < kGridFields; ++i) {
    auto* f = new QLineEdit(this);
    f->setObjectName(QStringLiteral("Text6_%1").arg(i));
    f->setFont(gridFont);
    f->setAlignment(Qt::AlignCenter);
    int x = 0, y = 0;
    if (i < 8) {  // RPM axis across the top
      x = px(kGridLeftTwips) + kCellWidth * i;
      y = px(kGridTopTwips) - kCellHeight;
    } else if (i < 16) {  // TINJ axis down the left
      x = px(kGridLeftTwips) - kCellWidth;
      y = px(kGridTopTwips) + kCellHeight * (i - 8);
    } else {
      int cell = i - 15;
      x = px(kGridLeftTwips) + kCellWidth * ((cell - 1) % 8);
      y = px(kGridTopTwips) + kCellHeight * ((cell - 1) / 8);
    }
    f->setGeometry(x, y, kCellWidth, kCellHeight);
    if (i < 16) {
      QFont bold = gridFont;
      bold.setBold(true);
      f->setFont(bold);
    }
    grid_[static_cast<std::size_t>(i)] = f;
    connect(f, &QLineEdit::textEdited, this, [this, f] { entryEdited(f); });
  }
  marker_ = new Marker(this);
  marker_->setObjectName("Shape1");
  marker_->setProperty("overlay", true);  // drawn over the grid cells on purpose
  marker_->resize(kMarkerSize, kMarkerSize);
  placeMarker(960, 720);
  marker_->raise();
}

void CalibrationWindow::buildLiveFields() {
  const int colA = 540, colB = 776;
  addField("Text1", "Lambda1 mV", colA, 24, this);
  addField("Text2", "Media L1 mV", colA, 54, this);
  addField("Text18", "Lambda2 mV", colA, 84, this);
  addField("Text17", "Media L2 mV", colA, 114, this);
  addField("Text3", "Tinj usec", colA, 144, this);
  addField("Text12", "Tinj Benzina usec", colA, 174, this);
  addField("Text4", "Tinj Gas usec", colA, 204, this);
  gasTimeCaption_ = findChild<QLabel*>("Label_Text4");
  addField("Text5", "RPM xmin", colA, 234, this);

  addField("Text7", "Pressione1 mbar", colB, 24, this);
  pressure2Frame_ = new QFrame(this);
  pressure2Frame_->setObjectName("FramePressure2");
  pressure2Frame_->setGeometry(colB, 52, 220, 28);
  addField("Text16", "Pressione2 mbar", 0, 2, pressure2Frame_);
  addField("Text22", "Temperatura1 \xC2\xB0" "C", colB, 84, this);
  addField("Text21", "Temperatura2 \xC2\xB0" "C", colB, 114, this);
  addField("Text14", "KGB IN USO", colB, 144, this);
  addField("Text11", "KGB TARATURA", colB, 174, this);
  scrolls_["VScroll1"] = makeScroll(this, "VScroll1", kTrialKgbMin, kTrialKgbMax, QRect(colB + 220, 164, 18, 44));

  // Guided functions: the cyclic selector, its button and the value it stores.
  scrolls_["VScroll5"] = makeScroll(this, "VScroll5", 0, 6, QRect(colB, 268, 18, 44));
  buttons_[4] = makeButton(this, 4, "VISUALIZZA CORRETTIVI", QRect(colB + 22, 270, 300, 40));
  auto* guidedValue = addField("Text9", nullptr, colB + 328, 278, this);
  guidedValue->setEnabled(false);

  // Coil and injector calibration.
  coilCaption_ = new QLabel(QStringLiteral("NUMERO BOBINE"), this);
  coilCaption_->setObjectName("Label4");
  coilCaption_->setGeometry(colA, 278, 130, 24);
  auto* coils = addField("Text8", nullptr, colA + 132, 278, this, 0, 40);
  coils->setText(QStringLiteral("1"));
  scrolls_["VScroll6"] = makeScroll(this, "VScroll6", 1, 8, QRect(colA + 176, 268, 18, 44));
  QFont mono(QStringLiteral("DejaVu Sans Mono"));
  mono.setPointSize(8);
  for (int i = 0; i < 16; ++i) {
    int injector = i % 8 + 1;
    QString text = i < 8 ? QStringLiteral("INJ%1     ON").arg(injector) : QStringLiteral("INJ%1              OFF").arg(injector);
    auto* l = new QLabel(text, this);
    l->setObjectName(QStringLiteral("Label5_%1").arg(i));
    l->setFont(mono);
    l->setGeometry(700 + 118 * ((injector - 1) % 4), 328 + 22 * ((injector - 1) / 4), 116, 20);
    injectorLabels_[static_cast<std::size_t>(i)] = l;
  }
}

void CalibrationWindow::buildCorrectives() {
  struct Frame {
    QGroupBox** box;
    const char* name;
    const char* title;
    int x, width;
  };
  const Frame frames[] = {
      {&lambdaFrame_, "FrameLambda", "Correttivo Lambda", 16, 296},
      {&temperatureFrame_, "FrameTemperature", "Correttivo Temperatura", 320, 296},
      {&pressureFrame_, "FramePressure", "Correttivo Pressione", 624, 296},
  };
  for (const Frame& f : frames) {
    *f.box = new QGroupBox(QString::fromUtf8(f.title), this);
    (*f.box)->setObjectName(QString::fromLatin1(f.name));
    (*f.box)->setGeometry(f.x, 386, f.width, 156);
  }
  struct Row {
    QGroupBox* frame;
    const char* field;
    const char* caption;
    int y;
  };
  const Row rows[] = {
      {lambdaFrame_, "Text20", "Massima variazione", 26},       {lambdaFrame_, "Text24", "Soglia giri inserimento", 60},
      {temperatureFrame_, "Text19", "Variazione", 26},          {temperatureFrame_, "Text26", "Differenziale temperatura", 60},
      {temperatureFrame_, "Text27", "Valore correzione", 94},   {pressureFrame_, "Text23", "Variazione", 26},
      {pressureFrame_, "Text10", "Intervallo pressione", 60},   {pressureFrame_, "Text25", "Soglia giri inserimento", 92},
      {pressureFrame_, "Text13", "Valore correzione", 124},
  };
  for (const Row& r : rows) addField(r.field, r.caption, 8, r.y, r.frame, 176, 64);
  for (const CorrectiveField& c : kCorrectiveFields) {
    QLineEdit* f = field(c.field);
    platform::installDigitsOnlyFilter(f);
    connect(f, &QLineEdit::textEdited, this, [this, f, c] {
      entryEdited(f);
      if (c.scroll) correctiveTyped(c.scroll, f);
    });
    if (!c.scroll) continue;
    auto* frame = qobject_cast<QWidget*>(f->parent());
    QScrollBar* s = makeScroll(frame, c.scroll, 0, c.scrollMax, QRect(f->geometry().right() + 4, f->y() - 8, 18, 40));
    scrolls_[QString::fromLatin1(c.scroll)] = s;
    const char* fieldName = c.field;
    connect(s, &QScrollBar::valueChanged, this, [this, fieldName](int v) { correctiveScrolled(fieldName, v); });
  }
  for (const char* computed : {"Text27", "Text13"}) field(computed)->setReadOnly(true);
}

void CalibrationWindow::buildControls() {
  // Lambda bar with its two ends, and the sensor it shows.
  auto* lean = new QLabel(QStringLiteral("MAGRA"), this);
  lean->setObjectName("Label6");
  lean->setGeometry(16, 330, 58, 22);
  for (int k = 0; k < 20; ++k) {
    auto* seg = new platform::Lamp(this);
    seg->setObjectName(QStringLiteral("Shape5_%1").arg(k));
    seg->setGeometry(76 + 21 * k, 330, 19, 22);
    lambdaBar_[static_cast<std::size_t>(k)] = seg;
  }
  auto* rich = new QLabel(QStringLiteral("RICCA"), this);
  rich->setObjectName("Label29");
  rich->setGeometry(500, 330, 60, 22);
  buttons_[6] = makeButton(this, 6, "Lambda1", QRect(570, 326, 110, 30));

  auto* message = addField("Text15", nullptr, 16, 552, this, 0, 1148);
  message->setReadOnly(true);
  message->setAlignment(Qt::AlignLeft);

  buttons_[9] = makeButton(this, 9, "TARATURA NON ATTIVA", QRect(16, 590, 240, 40));
  buttons_[8] = makeButton(this, 8, "TARATURA AUTOMATICA", QRect(264, 590, 240, 40));
  buttons_[11] = makeButton(this, 11, "IMPOSTA TUTTA TABELLA", QRect(512, 590, 250, 40));
  buttons_[5] = makeButton(this, 5, "Visualizzazione grafica", QRect(770, 590, 220, 40));
  buttons_[7] = makeButton(this, 7, "MODIFICA", QRect(16, 638, 160, 40));
  buttons_[2] = makeButton(this, 2, "COMMUTA", QRect(184, 638, 160, 40));
  buttons_[3] = makeButton(this, 3, "OK", QRect(352, 638, 100, 40));
  buttons_[12] = makeButton(this, 12, "TARATURA MULTIPUNTO", QRect(460, 638, 250, 40));
  buttons_[1] = makeButton(this, 1, "EXIT", QRect(1004, 638, 160, 40));
  // The button row is full: the toggle and its status line sit in the free
  // corner beside the correctives.
  record_ = new record::RecordToggle(ctx(), this, datalog::calibrationRecording("Form16"), QStringLiteral("Command13"),
                                    record::RecordToggle::Arrangement::kStacked);
  record_->setGeometry(936, 398, 228, 142);
  QFont bold = buttons_[7]->font();
  bold.setBold(true);
  for (int n : {1, 7, 9}) buttons_[static_cast<std::size_t>(n)]->setFont(bold);
}

}  // namespace kelvo6::calib

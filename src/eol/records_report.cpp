#include "eol/records_report.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "app/texts.h"
#include "platform/widgets.h"

namespace kelvo6::eol {

namespace {

using core::Text3;

constexpr Text3 kHeading{"Rapporto di collaudo fine linea", "End-of-line test report", "Hat Sonu Test Raporu"};
constexpr Text3 kDateTime{"Data e ora", "Date and time", "Tarih ve saat"};
constexpr Text3 kVersion{"Versione SW ECU", "ECU software version", "ECU yazilim versiyonu"};
constexpr Text3 kVersionUnknown{"non nota", "not known", "bilinmiyor"};
constexpr Text3 kCylinders{"Cilindri", "Cylinders", "Silindir"};
constexpr Text3 kResult{"Esito", "Result", "Sonuc"};
constexpr Text3 kPassed{"SUPERATO", "PASSED", "GECTI"};
constexpr Text3 kFailed{"NON SUPERATO", "FAILED", "KALDI"};
constexpr Text3 kUnit{"Matricola", "Unit", "Unite"};
constexpr Text3 kStation{"Postazione", "Station", "Istasyon"};
constexpr Text3 kOperator{"Operatore", "Operator", "Operator"};
constexpr Text3 kTool{"Versione KELVO6", "KELVO6 version", "KELVO6 versiyonu"};
constexpr Text3 kFailedChecks{"Controlli non superati", "Failed checks", "Kalan kontroller"};
constexpr Text3 kNone{"nessuno", "none", "yok"};
constexpr Text3 kCheckPassed{"superato", "passed", "gecti"};
constexpr Text3 kCheckFailed{"NON SUPERATO", "FAILED", "KALDI"};
constexpr Text3 kLegendPassed{"verde: superato", "green: passed", "yesil: gecti"};
constexpr Text3 kLegendFailed{"rosso: non superato", "red: failed", "kirmizi: kaldi"};

// One drawing unit is one point: an A4 page is 595 x 842.
constexpr int kResolution = 72;
constexpr double kMarginMm = 15;
constexpr double kLampSize = 11;
constexpr double kCheckPitch = 19;
constexpr double kInjectorPitch = 21;
constexpr double kFrameGap = 12;
constexpr double kCaptionHeight = 24;
const QColor kInk(30, 30, 30);
const QColor kOutline(90, 90, 90);

QColor lampColour(bool red) { return platform::toQColor(red ? core::colour::kRed : core::colour::kGreen); }

QFont font(double points, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

class Page {
 public:
  Page(QPainter& p, const UnitResult& unit, int language) : p_(p), unit_(unit), language_(language) {}

  void lamp(QPointF centre, bool red, double size = kLampSize) {
    p_.setPen(QPen(kOutline, 0.6));
    p_.setBrush(lampColour(red));
    p_.drawEllipse(centre, size / 2, size / 2);
  }

  void text(const QRectF& r, const QString& s, const QFont& f, int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    p_.setPen(kInk);
    p_.setFont(f);
    p_.drawText(r, flags, s);
  }

  // A framed group with its caption, as the window frames its lamps.
  void frame(const QRectF& r, const QString& caption) {
    p_.setPen(QPen(kOutline, 0.8));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r);
    text(QRectF(r.left() + 8, r.top(), r.width() - 16, kCaptionHeight - 4), caption, font(9, true));
  }

  bool red(int lamp) const { return unit_.red[static_cast<std::size_t>(lamp)]; }
  QString t(const Text3& s) const { return app::text3(s, language_); }

  // Title, the unit's data on the left and the overall result on the right.
  double heading(double width) {
    text(QRectF(0, 0, width, 26), QStringLiteral("KELVO6 - EndOfLine"), font(18, true));
    text(QRectF(0, 28, width, 18), t(kHeading), font(12));
    const QString version = unit_.ecuVersion.empty() ? t(kVersionUnknown) : QString::fromStdString(unit_.ecuVersion);
    const std::pair<Text3, QString> rows[] = {
        {kDateTime, QString::fromStdString(unit_.dateTime).replace(QLatin1Char('T'), QLatin1Char(' '))},
        {kVersion, version},
        {kCylinders, QString::number(unit_.cylinders)},
        {kUnit, QString::fromStdString(unit_.unit)},
        {kStation, QString::fromStdString(unit_.station)},
        {kOperator, QString::fromStdString(unit_.operatorName)},
        {kTool, QString::fromStdString(unit_.toolVersion)},
    };
    double y = 60;
    for (const auto& [label, value] : rows) {
      text(QRectF(0, y, 140, 18), t(label), font(10));
      text(QRectF(140, y, width - 360, 18), value, font(10, true));
      y += 18;
    }
    // The failed checks in words, so a report can be read and searched.
    const std::string failed = failedChecks(unit_);
    text(QRectF(0, y + 4, 140, 18), t(kFailedChecks), font(10));
    text(QRectF(140, y + 4, width - 140, 36), failed.empty() ? t(kNone) : QString::fromStdString(failed),
         font(10, true), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);

    const bool pass = passed(unit_);
    QRectF box(width - 210, 56, 210, 62);
    p_.setPen(QPen(lampColour(!pass), 2.5));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(box);
    text(QRectF(box.left() + 12, box.top() + 4, box.width() - 24, 16), t(kResult), font(9));
    lamp(QPointF(box.left() + 26, box.top() + 38), !pass, 22);
    text(QRectF(box.left() + 46, box.top() + 22, box.width() - 52, 32), t(pass ? kPassed : kFailed), font(15, true));
    return y + 48;
  }

  // Rows of STAT, EMUL, OUT and IN for each injector of the unit, with the
  // emulation relay of each pair beside its two rows.
  double injectors(QPointF at, double width) {
    const int rows = unit_.cylinders;
    const double height = kCaptionHeight + 24 + (rows - 1) * kInjectorPitch + 18;
    frame(QRectF(at, QSizeF(width, height)), QStringLiteral("INIETTORI"));
    const double columns[] = {at.x() + 50, at.x() + 86, at.x() + 122, at.x() + 158};
    const char* names[] = {"STAT", "EMUL", "OUT", "IN"};
    const double pairColumn = at.x() + width - 42;
    const double headY = at.y() + kCaptionHeight;
    for (int c = 0; c < 4; ++c)
      text(QRectF(columns[c] - 18, headY, 36, 14), QString::fromLatin1(names[c]), font(7.5), Qt::AlignCenter);
    text(QRectF(pairColumn - 40, headY, 80, 14), QStringLiteral("RELE EMUL INJ"), font(7.5), Qt::AlignCenter);

    auto rowY = [&](int injector) { return headY + 24 + (injector - 1) * kInjectorPitch; };
    for (int i = 1; i <= rows; ++i) {
      text(QRectF(at.x() + 10, rowY(i) - 8, 20, 16), QString::number(i), font(9, true));
      const int lamps[] = {statLamp(i), emulLamp(i), outLamp(i), inLamp(i)};
      for (int c = 0; c < 4; ++c) lamp(QPointF(columns[c], rowY(i)), red(lamps[c]));
    }
    for (int j = 1; 2 * j <= rows; ++j)
      lamp(QPointF(pairColumn, (rowY(2 * j - 1) + rowY(2 * j)) / 2), red(pairLamp(j)));
    return height;
  }

  double checks(QPointF at, double width, const LampGroup& group) {
    const double height = kCaptionHeight + group.lamps.size() * kCheckPitch + 4;
    frame(QRectF(at, QSizeF(width, height)), QString::fromLatin1(group.caption));
    double y = at.y() + kCaptionHeight + kCheckPitch / 2 - 2;
    for (int l : group.lamps) {
      text(QRectF(at.x() + 12, y - 8, width - 120, 16), QString::fromStdString(lampName(l)), font(9));
      text(QRectF(at.x() + width - 110, y - 8, 76, 16), t(red(l) ? kCheckFailed : kCheckPassed), font(8, red(l)),
           Qt::AlignRight | Qt::AlignVCenter);
      lamp(QPointF(at.x() + width - 24, y), red(l));
      y += kCheckPitch;
    }
    return height;
  }

  void legend(double y) {
    lamp(QPointF(6, y), false);
    text(QRectF(16, y - 8, 150, 16), t(kLegendPassed), font(8.5));
    lamp(QPointF(176, y), true);
    text(QRectF(186, y - 8, 180, 16), t(kLegendFailed), font(8.5));
  }

 private:
  QPainter& p_;
  const UnitResult& unit_;
  int language_;
};

void draw(QPainter& p, const UnitResult& unit, int language, QSizeF area) {
  Page page(p, unit, language);
  const double top = page.heading(area.width());
  const double column = (area.width() - kFrameGap) / 2;

  // Left: injectors, then the supply voltages, EEPROM and the other checks;
  // right: the analogue and the digital checks.
  const std::vector<LampGroup>& groups = checkGroups();
  double left = top + page.injectors(QPointF(0, top), column) + kFrameGap;
  double right = top;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const bool rightColumn = i < 2;  // ANALOGICI and DIGITALI, ten lamps each
    double& y = rightColumn ? right : left;
    y += page.checks(QPointF(rightColumn ? column + kFrameGap : 0, y), column, groups[i]) + kFrameGap;
  }
  page.legend(std::max(left, right) + 8);
}

}  // namespace

QString writeReport(const QString& path, const UnitResult& unit, int language) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  {
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("KELVO6 - EndOfLine %1").arg(QString::fromStdString(unit.dateTime)));
    writer.setCreator(QStringLiteral("KELVO6"));
    QPainter painter;
    if (!painter.begin(&writer)) {
      file.cancelWriting();
      return QStringLiteral("cannot draw the report");
    }
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, unit, language, QSizeF(writer.width(), writer.height()));
    painter.end();
  }
  if (!file.commit()) return file.errorString();
  return {};
}

}  // namespace kelvo6::eol

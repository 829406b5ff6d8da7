#include "shell/flags.h"

#include <QPainter>
#include <QPainterPath>

namespace kelvo6::shell {

namespace {
constexpr int kW = 60, kH = 40;

void italy(QPainter& p) {
  p.fillRect(0, 0, kW / 3, kH, QColor(0, 146, 70));
  p.fillRect(kW / 3, 0, kW / 3, kH, Qt::white);
  p.fillRect(2 * kW / 3, 0, kW - 2 * kW / 3, kH, QColor(206, 43, 55));
}

void unitedKingdom(QPainter& p) {
  p.fillRect(0, 0, kW, kH, QColor(1, 33, 105));
  p.setPen(QPen(Qt::white, 8));
  p.drawLine(0, 0, kW, kH);
  p.drawLine(kW, 0, 0, kH);
  p.setPen(QPen(QColor(200, 16, 46), 3));
  p.drawLine(0, 0, kW, kH);
  p.drawLine(kW, 0, 0, kH);
  p.fillRect(kW / 2 - 6, 0, 12, kH, Qt::white);
  p.fillRect(0, kH / 2 - 6, kW, 12, Qt::white);
  p.fillRect(kW / 2 - 3, 0, 6, kH, QColor(200, 16, 46));
  p.fillRect(0, kH / 2 - 3, kW, 6, QColor(200, 16, 46));
}

void turkey(QPainter& p) {
  QColor red(227, 10, 23);
  p.fillRect(0, 0, kW, kH, red);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(23, 20), 11, 11);
  p.setBrush(red);
  p.drawEllipse(QPointF(26, 20), 9, 9);
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    double r = (i % 2) ? 2.2 : 5.0;
    double a = -M_PI / 2 + i * M_PI / 5;
    QPointF pt(39 + r * std::cos(a), 20 + r * std::sin(a));
    i == 0 ? star.moveTo(pt) : star.lineTo(pt);
  }
  star.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(star);
}
}  // namespace

QIcon flagIcon(int language) {
  QPixmap pm(kW, kH);
  QPainter p(&pm);
  if (language == 1) italy(p);
  if (language == 2) unitedKingdom(p);
  if (language == 3) turkey(p);
  p.end();
  return QIcon(pm);
}

QPixmap logoPixmap() {
  QPixmap pm(120, 60);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 90, 160));
  p.drawRoundedRect(QRectF(2, 2, 116, 56), 10, 10);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setBold(true);
  f.setPointSize(16);
  p.setFont(f);
  p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("KELVO6"));
  return pm;
}

}  // namespace kelvo6::shell

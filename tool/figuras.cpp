#include "figuras.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap FiguraSAT() {
  // A small fiscal box seen from the front: dark case, display, three LEDs and a USB port.
  QPixmap p(200, 130);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QLinearGradient caixa(0, 0, 0, 130);
  caixa.setColorAt(0, QColor(70, 74, 82));
  caixa.setColorAt(1, QColor(30, 32, 36));
  g.setPen(QPen(QColor(20, 20, 24), 2));
  g.setBrush(caixa);
  g.drawRoundedRect(QRectF(4, 10, 192, 112), 12, 12);
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(18, 40, 60));
  g.drawRoundedRect(QRectF(20, 26, 110, 40), 4, 4);
  g.setPen(QColor(120, 210, 255));
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(20);
  g.setFont(f);
  g.drawText(QRectF(20, 26, 110, 40), Qt::AlignCenter, QStringLiteral("SAT CF-e"));
  const QColor leds[] = {QColor(40, 200, 60), QColor(240, 190, 30), QColor(220, 50, 40)};
  for (int i = 0; i < 3; ++i) {
    g.setPen(QPen(QColor(10, 10, 10), 1));
    g.setBrush(leds[i]);
    g.drawEllipse(QPointF(150 + i * 15, 36), 5, 5);
  }
  g.setBrush(QColor(200, 200, 205));
  g.setPen(QPen(QColor(90, 90, 95), 1));
  g.drawRect(QRectF(145, 84, 36, 12));
  g.setPen(QColor(170, 175, 185));
  f.setPixelSize(11);
  f.setBold(false);
  g.setFont(f);
  g.drawText(QRectF(20, 82, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("NORVI"));
  return p;
}

QPixmap FiguraLogo() {
  // A blue rounded tile with a white "N" made of three strokes.
  QPixmap p(120, 56);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(20, 90, 170));
  g.drawRoundedRect(QRectF(2, 4, 48, 48), 10, 10);
  QPainterPath n;
  n.moveTo(14, 42);
  n.lineTo(14, 14);
  n.lineTo(38, 42);
  n.lineTo(38, 14);
  g.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  g.setBrush(Qt::NoBrush);
  g.drawPath(n);
  g.setPen(QColor(20, 90, 170));
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(18);
  g.setFont(f);
  g.drawText(QRectF(54, 4, 66, 48), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("NORVI"));
  return p;
}

QIcon IconeJanela() {
  QIcon icone;
  for (int lado : {16, 32, 64}) {
    QPixmap p(lado, lado);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(20, 90, 170));
    g.drawRoundedRect(QRectF(0, 0, lado, lado), lado / 5.0, lado / 5.0);
    g.setBrush(QColor(40, 200, 60));
    g.drawEllipse(QPointF(lado * 0.72, lado * 0.28), lado * 0.12, lado * 0.12);
    g.setPen(QPen(Qt::white, lado / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(Qt::NoBrush);
    QPainterPath n;
    n.moveTo(lado * 0.25, lado * 0.78);
    n.lineTo(lado * 0.25, lado * 0.3);
    n.lineTo(lado * 0.6, lado * 0.78);
    n.lineTo(lado * 0.6, lado * 0.5);
    g.drawPath(n);
    icone.addPixmap(p);
  }
  return icone;
}

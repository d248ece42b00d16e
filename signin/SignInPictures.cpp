#include "signin/SignInPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace signin {

namespace {

const QColor kDeep(14, 33, 66);
const QColor kMid(26, 62, 116);
const QColor kAccent(47, 125, 225);

void paintBackdrop(QPainter& p, const QRect& r, QColor top, QColor bottom) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
    // Faint diagonal ruling, like the lines of a sheet seen at an angle.
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int x = -r.height(); x < r.width(); x += 14) {
        p.drawLine(x, r.bottom(), x + r.height(), r.top());
    }
}

// A grade sheet with a few ruled rows, marks and a tick: the program's emblem.
void paintEmblem(QPainter& p, QPointF origin) {
    p.save();
    p.translate(origin);
    p.rotate(-6);
    QPainterPath sheet;
    sheet.addRoundedRect(QRectF(0, 0, 74, 92), 6, 6);
    p.fillPath(sheet.translated(3, 4), QColor(0, 0, 0, 70));
    p.fillPath(sheet, QColor(244, 247, 252));
    p.setPen(QPen(QColor(190, 202, 222), 1.2));
    for (int i = 0; i < 6; ++i) {
        const qreal y = 22 + i * 11;
        p.drawLine(QPointF(8, y), QPointF(66, y));
    }
    p.drawLine(QPointF(46, 16), QPointF(46, 84));
    p.fillRect(QRectF(8, 8, 58, 8), kAccent);
    p.setPen(QColor(40, 60, 96));
    QFont small;
    small.setPixelSize(8);
    small.setBold(true);
    p.setFont(small);
    const char* marks[] = {"92", "78", "65", "88", "71", "95"};
    for (int i = 0; i < 6; ++i) {
        p.drawText(QRectF(48, 14 + i * 11, 16, 10), Qt::AlignCenter, QString::fromLatin1(marks[i]));
        p.fillRect(QRectF(10, 15 + i * 11, 14 + (i * 7) % 20, 3), QColor(150, 166, 194));
    }
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(72, 200, 120), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(origin + QPointF(50, 80));
    tick.lineTo(origin + QPointF(62, 94));
    tick.lineTo(origin + QPointF(90, 58));
    p.drawPath(tick);
    p.restore();
}

}  // namespace

QPixmap signInPicture(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r(QPoint(0, 0), size);
    paintBackdrop(p, r, kMid, kDeep);

    QRadialGradient glow(QPointF(110, 120), 170);
    glow.setColorAt(0, QColor(80, 140, 230, 90));
    glow.setColorAt(1, QColor(80, 140, 230, 0));
    p.fillRect(r, glow);

    // The panel behind the login and password boxes.
    QPainterPath panel;
    panel.addRoundedRect(QRectF(220, 34, size.width() - 232, 186), 10, 10);
    p.fillPath(panel, QColor(255, 255, 255, 22));
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawPath(panel);

    paintEmblem(p, QPointF(28, 48));

    QFont title;
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(20, 150, 200, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("QOR 28"));
    QFont subtitle;
    subtitle.setPixelSize(14);
    p.setFont(subtitle);
    p.setPen(QColor(190, 210, 240));
    p.drawText(QRectF(22, 188, 200, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Электронная ведомость"));
    p.setPen(QPen(kAccent, 3));
    p.drawLine(QPointF(22, 214), QPointF(92, 214));
    return pixmap;
}

QPixmap changePasswordPicture(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r(QPoint(0, 0), size);
    paintBackdrop(p, r, kDeep, QColor(10, 24, 50));
    p.setPen(QPen(QColor(255, 255, 255, 45), 1));
    p.drawLine(QPointF(16, 1), QPointF(size.width() - 16, 1));

    // A small padlock before the heading.
    p.setPen(QPen(QColor(255, 210, 122), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(25, 6, 12, 14), 0, 180 * 16);
    p.setBrush(QColor(255, 210, 122));
    p.drawRoundedRect(QRectF(22, 13, 18, 12), 2, 2);

    QFont heading;
    heading.setPixelSize(13);
    heading.setBold(true);
    p.setFont(heading);
    p.setPen(QColor(230, 238, 250));
    p.drawText(QRectF(48, 6, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Смена пароля"));
    return pixmap;
}

}  // namespace signin

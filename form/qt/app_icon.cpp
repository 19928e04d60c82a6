#include "form/qt/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace dalvon {
namespace {

// Drawn on a 64 x 64 grid and scaled, so every size shows the same picture.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 8, 8);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 4, Qt::SolidLine, Qt::RoundCap));
    for (int y : {18, 32, 46})
        painter.drawLine(QPointF(34, y), QPointF(52, y));
    QPainterPath check;
    check.moveTo(11, 32);
    check.lineTo(20, 43);
    check.lineTo(31, 18);
    painter.setPen(QPen(QColor(0x00, 0x99, 0x00), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
    return pixmap;
}

}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}

}  // namespace dalvon

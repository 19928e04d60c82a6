#include "form/qt/pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace dalvon {
namespace {

// The shapes are laid out on the design sizes and scaled to the size asked for.
void drawQuestionMark(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath hook;
    hook.arcMoveTo(QRectF(19, 3, 16, 16), 160);
    hook.arcTo(QRectF(19, 3, 16, 16), 160, -250);
    hook.lineTo(27, 25);
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(27, 31), 2.6, 2.6);

    painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(19, 26), QPointF(7, 38));
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF({QPointF(2, 43), QPointF(2, 30), QPointF(15, 43)}));
}

void drawCheckMark(QPainter& painter) {
    painter.setPen(QPen(QColor(0, 160, 0), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(5, 19), QPointF(16, 30), QPointF(39, 6)}));
}

void drawCross(QPainter& painter) {
    painter.setPen(QPen(QColor(220, 0, 0), 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(6, 6), QPointF(31, 33));
    painter.drawLine(QPointF(31, 6), QPointF(6, 33));
}

QSize designSize(Picture picture) {
    switch (picture) {
        case Picture::QuestionMark:
            return {41, 45};
        case Picture::CheckMark:
            return {44, 36};
        case Picture::Cross:
            return {37, 39};
        case Picture::None:
            break;
    }
    return {};
}

}  // namespace

QPixmap drawPicture(Picture picture, int width, int height) {
    if (picture == Picture::None || width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QSize design = designSize(picture);
    painter.scale(double(width) / design.width(), double(height) / design.height());
    if (picture == Picture::QuestionMark)
        drawQuestionMark(painter);
    else if (picture == Picture::CheckMark)
        drawCheckMark(painter);
    else
        drawCross(painter);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace dalvon

#include "form/qt/pictures.h"

#include <QImage>
#include <QPainter>

#include "form/picture_shapes.h"

namespace dalvon {
namespace {

QColor qtColor(Rgb rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QPolygonF qtPolygon(const std::vector<PicturePoint>& points) {
    QPolygonF polygon;
    for (const PicturePoint& point : points)
        polygon << QPointF(point.x, point.y);
    return polygon;
}

void drawShape(QPainter& painter, const PictureShape& shape) {
    QColor color = qtColor(shape.color);
    switch (shape.kind) {
        case PictureShape::Kind::Line:
            painter.setPen(QPen(color, shape.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(qtPolygon(shape.points));
            break;
        case PictureShape::Kind::Polygon:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawPolygon(qtPolygon(shape.points));
            break;
        case PictureShape::Kind::Disc:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawEllipse(QPointF(shape.points.at(0).x, shape.points.at(0).y), shape.width,
                                shape.width);
            break;
    }
}

}  // namespace

QPixmap drawPicture(Picture picture, int width, int height) {
    PictureDrawing drawing = pictureDrawing(picture);
    if (drawing.shapes.empty() || width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(width) / drawing.designWidth, double(height) / drawing.designHeight);
    for (const PictureShape& shape : drawing.shapes)
        drawShape(painter, shape);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace dalvon

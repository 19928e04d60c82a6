#include "form/win32/picture_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "form/picture_shapes.h"
#include "form/win32/gdi_handles.h"

namespace dalvon::win32 {
namespace {

constexpr Rgb kDisabledGrey = 0x808080;

// Maps the design grid onto the area asked for.
struct Scale {
    double x = 1;
    double y = 1;
    POINT origin{};

    POINT at(const PicturePoint& point) const {
        return {origin.x + std::lround(point.x * x), origin.y + std::lround(point.y * y)};
    }
    int length(double design) const { return std::max(1L, std::lround(design * (x + y) / 2)); }
};

std::vector<POINT> points(const PictureShape& shape, const Scale& scale) {
    std::vector<POINT> result;
    for (const PicturePoint& point : shape.points)
        result.push_back(scale.at(point));
    return result;
}

void drawLine(HDC dc, const PictureShape& shape, COLORREF color, const Scale& scale) {
    LOGBRUSH brush{BS_SOLID, color, 0};
    GdiObject<HPEN> pen(::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                       static_cast<DWORD>(scale.length(shape.width)), &brush, 0,
                                       nullptr));
    Selection selected(dc, pen.get());
    std::vector<POINT> line = points(shape, scale);
    ::Polyline(dc, line.data(), static_cast<int>(line.size()));
}

void drawFilled(HDC dc, const PictureShape& shape, COLORREF color, const Scale& scale) {
    GdiObject<HBRUSH> brush(::CreateSolidBrush(color));
    Selection brushSelected(dc, brush.get());
    Selection penSelected(dc, ::GetStockObject(NULL_PEN));
    if (shape.kind == PictureShape::Kind::Disc) {
        POINT centre = scale.at(shape.points.at(0));
        int radius = scale.length(shape.width);
        ::Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius + 1,
                  centre.y + radius + 1);
        return;
    }
    std::vector<POINT> polygon = points(shape, scale);
    ::Polygon(dc, polygon.data(), static_cast<int>(polygon.size()));
}

}  // namespace

void paintPicture(HDC dc, Picture picture, const RECT& area, bool disabled) {
    PictureDrawing drawing = pictureDrawing(picture);
    if (drawing.shapes.empty())
        return;
    Scale scale{double(area.right - area.left) / drawing.designWidth,
                double(area.bottom - area.top) / drawing.designHeight,
                {area.left, area.top}};
    for (const PictureShape& shape : drawing.shapes) {
        COLORREF color = colorRef(disabled ? kDisabledGrey : shape.color);
        if (shape.kind == PictureShape::Kind::Line)
            drawLine(dc, shape, color, scale);
        else
            drawFilled(dc, shape, color, scale);
    }
}

}  // namespace dalvon::win32

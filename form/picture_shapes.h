#pragma once

#include <vector>

#include "form/controls.h"

namespace dalvon {

// A point of a picture in its design grid (pixels at the design size, y downwards).
struct PicturePoint {
    double x = 0;
    double y = 0;
};

// One drawing step of a picture button's picture, in the order drawn.
struct PictureShape {
    enum class Kind {
        Line,     // a line through `points`, `width` wide, round caps and joins
        Polygon,  // `points` filled
        Disc,     // a filled circle around points[0] of radius `width`
    };
    Kind kind = Kind::Line;
    Rgb color = 0;
    double width = 0;
    std::vector<PicturePoint> points;
};

// A picture as shapes on its design grid, so that every window toolkit draws the same picture
// scaled to the size it needs: the question mark of the help button with its arrow to the
// lower left, the green check mark, the red cross. On a transparent background.
struct PictureDrawing {
    int designWidth = 0;
    int designHeight = 0;
    std::vector<PictureShape> shapes;
};

// The drawing of `picture`; no shapes for Picture::None.
PictureDrawing pictureDrawing(Picture picture);

}  // namespace dalvon

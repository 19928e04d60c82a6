#include "form/picture_shapes.h"

#include <cmath>
#include <numbers>

namespace dalvon {
namespace {

constexpr Rgb kBlack = 0x000000;
constexpr Rgb kCheckGreen = 0x00A000;
constexpr Rgb kCrossRed = 0xDC0000;

// The hook of the question mark: an arc around (27, 11) of radius 8 from 160 degrees clockwise
// down to the bottom, then straight down to the stem's end. Enough points that no toolkit
// shows corners at the design size or twice it.
std::vector<PicturePoint> questionHook() {
    constexpr double kFirst = 160;
    constexpr double kLast = -90;
    constexpr int kSteps = 25;
    std::vector<PicturePoint> points;
    for (int i = 0; i <= kSteps; ++i) {
        double degrees = kFirst + (kLast - kFirst) * i / kSteps;
        double radians = degrees * std::numbers::pi / 180;
        points.push_back({27 + 8 * std::cos(radians), 11 - 8 * std::sin(radians)});
    }
    points.push_back({27, 25});
    return points;
}

PictureDrawing questionMark() {
    using Kind = PictureShape::Kind;
    return {41,
            45,
            {
                {Kind::Line, kBlack, 4, questionHook()},
                {Kind::Disc, kBlack, 2.6, {{27, 31}}},
                {Kind::Line, kBlack, 3, {{19, 26}, {7, 38}}},
                {Kind::Polygon, kBlack, 0, {{2, 43}, {2, 30}, {15, 43}}},
            }};
}

}  // namespace

PictureDrawing pictureDrawing(Picture picture) {
    using Kind = PictureShape::Kind;
    switch (picture) {
        case Picture::QuestionMark:
            return questionMark();
        case Picture::CheckMark:
            return {44, 36, {{Kind::Line, kCheckGreen, 7, {{5, 19}, {16, 30}, {39, 6}}}}};
        case Picture::Cross:
            return {37,
                    39,
                    {
                        {Kind::Line, kCrossRed, 7, {{6, 6}, {31, 33}}},
                        {Kind::Line, kCrossRed, 7, {{31, 6}, {6, 33}}},
                    }};
        case Picture::None:
            break;
    }
    return {};
}

}  // namespace dalvon

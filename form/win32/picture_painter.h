#pragma once

#include "form/win32/windows_api.h"

#include "form/controls.h"

namespace dalvon::win32 {

// Draws the picture of a picture button scaled into `area` of `dc`, leaving the background as it
// is. A disabled button's picture is drawn in grey, as the window system greys a disabled
// button's text.
void paintPicture(HDC dc, Picture picture, const RECT& area, bool disabled);

// A colour 0xRRGGBB as GDI's COLORREF.
inline COLORREF colorRef(Rgb rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace dalvon::win32

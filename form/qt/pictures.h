#pragma once

#include <QPixmap>

#include "form/controls.h"

namespace dalvon {

// The picture of a picture button, drawn at `width` x `height` pixels on a transparent
// background: a black question mark with an arrow to the lower left, a green check mark, a red
// cross. A null pixmap for Picture::None.
QPixmap drawPicture(Picture picture, int width, int height);

}  // namespace dalvon

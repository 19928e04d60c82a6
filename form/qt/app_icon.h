#pragma once

#include <QIcon>

namespace dalvon {

// The program's icon, drawn like packaging/dalvon-config.svg: a grey card with a green check mark
// beside three list lines.
QIcon applicationIcon();

}  // namespace dalvon

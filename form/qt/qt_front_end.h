#pragma once

#include <memory>

#include "form/front_end.h"

namespace dalvon {

// The window as a Qt Widgets window. Creates the QApplication (which needs a display or
// QT_QPA_PLATFORM), so it is made only when a window is to be shown. `argc` must outlive it.
std::unique_ptr<FrontEnd> makeQtFrontEnd(int& argc, char** argv);

}  // namespace dalvon

#pragma once

#include <memory>
#include <string>

#include "form/front_end.h"

namespace dalvon {

// The window as a Qt Widgets window on the Qt platform `platform` ("xcb", "offscreen", ...;
// empty: Qt's own choice). Creates the QApplication, which aborts when the platform cannot
// connect to its display, so it is made only after the display was found reachable. `argc`
// must outlive it.
std::unique_ptr<FrontEnd> makeQtFrontEnd(int& argc, char** argv, const std::string& platform = {});

// Whether a Qt platform plugin of that name is installed where Qt looks for plugins
// ("wayland" stands for any of Qt's Wayland plugins).
bool hasQtPlatformPlugin(const std::string& platform);

}  // namespace dalvon

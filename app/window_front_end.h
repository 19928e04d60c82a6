#pragma once

#include <memory>
#include <string>

#include "form/front_end.h"

namespace dalvon {

// The window front end this build has: the Qt window on `platform` (a Qt platform plugin name,
// as chosen by chooseWindow), the Win32 window on Windows, or nothing in a build without either.
std::unique_ptr<FrontEnd> makeWindowFrontEnd(int& argc, char** argv, const std::string& platform);

// Whether the window front end can drive `platform` (its plugin is installed).
bool hasWindowPlatform(const std::string& platform);

}  // namespace dalvon

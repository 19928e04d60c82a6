#pragma once

#include <memory>

#include "form/front_end.h"

namespace dalvon {

// The window front end this build has: the Qt window, or nothing in a build without Qt.
std::unique_ptr<FrontEnd> makeWindowFrontEnd(int& argc, char** argv);

}  // namespace dalvon

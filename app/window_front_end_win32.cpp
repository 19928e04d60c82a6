#include "app/window_front_end.h"
#include "form/win32/win32_front_end.h"

namespace dalvon {

std::unique_ptr<FrontEnd> makeWindowFrontEnd(int&, char**, const std::string&) {
    return makeWin32FrontEnd();
}

bool hasWindowPlatform(const std::string&) {
    return true;
}

}  // namespace dalvon

#include "app/window_front_end.h"

namespace dalvon {

std::unique_ptr<FrontEnd> makeWindowFrontEnd(int&, char**, const std::string&) {
    return nullptr;
}

// Without a window every display counts as usable: the terminal is taken anyway.
bool hasWindowPlatform(const std::string&) {
    return true;
}

}  // namespace dalvon

#include "app/window_front_end.h"

namespace dalvon {

std::unique_ptr<FrontEnd> makeWindowFrontEnd(int&, char**) {
    return nullptr;
}

}  // namespace dalvon

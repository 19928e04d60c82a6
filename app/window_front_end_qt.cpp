#include "app/window_front_end.h"
#include "form/qt/qt_front_end.h"

namespace dalvon {

std::unique_ptr<FrontEnd> makeWindowFrontEnd(int& argc, char** argv) {
    return makeQtFrontEnd(argc, argv);
}

}  // namespace dalvon

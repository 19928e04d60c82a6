#include "app/window_front_end.h"
#include "form/qt/qt_front_end.h"

namespace dalvon {

std::unique_ptr<FrontEnd> makeWindowFrontEnd(int& argc, char** argv, const std::string& platform) {
    return makeQtFrontEnd(argc, argv, platform);
}

bool hasWindowPlatform(const std::string& platform) {
    return hasQtPlatformPlugin(platform);
}

}  // namespace dalvon

// Windows always has its desktop: the window is shown unless the terminal is asked for.
#include "app/system_window_choice.h"

namespace dalvon {

WindowChoice chooseSystemWindow() {
    if (displayEnvironment().ui == "terminal")
        return {};
    return {WindowChoice::Kind::Window, "win32", ""};
}

}  // namespace dalvon

// Where the window needs a display server: X11 or Wayland, probed before the toolkit starts.
#include "app/system_window_choice.h"
#include "app/window_front_end.h"
#include "platform/display_probe.h"

namespace dalvon {

WindowChoice chooseSystemWindow() {
    DisplayProbes probes{probeX11Display, probeWaylandDisplay, hasWindowPlatform};
    return chooseWindow(displayEnvironment(), probes);
}

}  // namespace dalvon

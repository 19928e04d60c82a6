// Windows has its own desktop and no X11 or Wayland server to look for: the probes say so, and
// the window choice falls back as it does where none is reachable.
#include "platform/display_probe.h"

namespace dalvon {

std::string probeX11Display(const std::string&) {
    return "no X11 display on Windows";
}

std::string probeWaylandDisplay(const std::string&, const std::string&) {
    return "no Wayland display on Windows";
}

}  // namespace dalvon

#pragma once

#include <functional>
#include <string>

namespace dalvon {

// What the environment says about displays; an unset variable is the empty text.
struct DisplayEnvironment {
    std::string display;         // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string runtimeDir;      // XDG_RUNTIME_DIR
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string qtPlatform;      // QT_QPA_PLATFORM
    std::string ui;              // DALVON_UI
};

// How the displays are tried: each probe returns the empty text when the server accepts a
// connection, else why not; `hasPlugin` says whether the window toolkit can drive a platform.
struct DisplayProbes {
    std::function<std::string(const std::string& display)> x11;
    std::function<std::string(const std::string& name, const std::string& runtimeDir)> wayland;
    std::function<bool(const std::string& platform)> hasPlugin;
};

struct WindowChoice {
    enum class Kind {
        Terminal,     // no display asked for, or DALVON_UI=terminal
        Window,       // `platform` can be driven
        Unreachable,  // a display was asked for and none works: `reason` says why
    };
    Kind kind = Kind::Terminal;
    std::string platform;  // the window toolkit's platform to use ("xcb", "wayland", ...)
    std::string reason;
};

// Decides before any window toolkit is started (one that cannot connect aborts the process).
// QT_QPA_PLATFORM (a list separated by ";") is tried in its order; without it the display
// servers that DISPLAY and WAYLAND_DISPLAY name, Wayland first in a Wayland session.
WindowChoice chooseWindow(const DisplayEnvironment& environment, const DisplayProbes& probes);

// The environment of this process.
DisplayEnvironment displayEnvironment();

}  // namespace dalvon

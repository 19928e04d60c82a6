#include "app/window_choice.h"

#include <cstdlib>
#include <vector>

namespace dalvon {
namespace {

std::vector<std::string> split(const std::string& list, char separator) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= list.size()) {
        size_t end = list.find(separator, begin);
        if (end == std::string::npos)
            end = list.size();
        if (end > begin)
            parts.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

bool isWayland(const std::string& platform) {
    return platform.rfind("wayland", 0) == 0;
}

std::vector<std::string> candidates(const DisplayEnvironment& environment) {
    if (!environment.qtPlatform.empty())
        return split(environment.qtPlatform, ';');
    std::vector<std::string> names;
    if (!environment.waylandDisplay.empty())
        names.push_back("wayland");
    if (!environment.display.empty()) {
        bool waylandFirst = environment.sessionType == "wayland";
        names.insert(waylandFirst ? names.end() : names.begin(), "xcb");
    }
    return names;
}

// Why the display server of `name` cannot be reached; empty when it can or `name` needs none.
std::string unreachable(const std::string& name, const DisplayEnvironment& environment,
                        const DisplayProbes& probes) {
    if (name == "xcb") {
        if (environment.display.empty())
            return "DISPLAY is not set";
        std::string failure = probes.x11(environment.display);
        return failure.empty() ? failure
                               : "the display \"" + environment.display + "\" cannot be reached (" +
                                     failure + ")";
    }
    if (isWayland(name)) {
        std::string display =
            environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
        std::string failure = probes.wayland(display, environment.runtimeDir);
        return failure.empty()
                   ? failure
                   : "the Wayland display \"" + display + "\" cannot be reached (" + failure + ")";
    }
    return {};
}

// Empty when `platform` can be used, else why not.
std::string tryPlatform(const std::string& platform, const DisplayEnvironment& environment,
                        const DisplayProbes& probes) {
    // "name:options" passes options to the plugin.
    std::string name = platform.substr(0, platform.find(':'));
    std::string failure = unreachable(name, environment, probes);
    if (failure.empty() && !probes.hasPlugin(name))
        failure = "the window toolkit has no platform plugin \"" + name + "\"";
    return failure;
}

std::string textOf(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

}  // namespace

WindowChoice chooseWindow(const DisplayEnvironment& environment, const DisplayProbes& probes) {
    if (environment.ui == "terminal")
        return {};
    std::vector<std::string> names = candidates(environment);
    if (names.empty())
        return {};
    std::string reasons;
    for (const std::string& name : names) {
        std::string failure = tryPlatform(name, environment, probes);
        if (failure.empty())
            return {WindowChoice::Kind::Window, name, ""};
        reasons += (reasons.empty() ? "" : "; ") + failure;
    }
    return {WindowChoice::Kind::Unreachable, "", reasons};
}

DisplayEnvironment displayEnvironment() {
    return {textOf("DISPLAY"),          textOf("WAYLAND_DISPLAY"), textOf("XDG_RUNTIME_DIR"),
            textOf("XDG_SESSION_TYPE"), textOf("QT_QPA_PLATFORM"), textOf("DALVON_UI")};
}

}  // namespace dalvon

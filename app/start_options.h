#pragma once

#include <string>
#include <vector>

namespace dalvon {

// The usage text of --help.
std::string usageText();

// "1.0.2": the version --version prints.
std::string versionText();

// What the command line asks of the program before any start.
enum class Request { Start, Help, Version };
Request requestOf(const std::vector<std::string>& arguments);

// Whether `commandLine` asks for silent start, read as the start-mode logic reads it (the first
// EXTERNAL anywhere, one separator, the value up to the next "/"). Decided before any window
// system is touched, so that silent start never needs a display.
bool isSilentStart(const std::string& commandLine);

// Whether a window can be shown: a display (DISPLAY, WAYLAND_DISPLAY) or a Qt platform plugin
// (QT_QPA_PLATFORM) is set, and DALVON_UI does not ask for the terminal. Any argument may be
// null.
bool wantsWindow(const char* display, const char* waylandDisplay, const char* qtPlatform,
                 const char* ui);

}  // namespace dalvon

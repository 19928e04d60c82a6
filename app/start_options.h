#pragma once

#include <string>
#include <vector>

namespace dalvon {

// The usage text of --help.
std::string usageText();

// "1.0.2": the version --version prints.
std::string versionText();

// What the command line asks of the program before any start.
enum class Request { Start, Help, Version, Invalid };

// The command line read for the start: the request, the installation named by
// "--installation DIR" (or "--installation=DIR"), and the arguments that remain for the
// program's own command line. `error` says what is wrong with an Invalid one.
struct StartRequest {
    Request kind = Request::Start;
    std::string installation;
    std::vector<std::string> arguments;
    std::string error;
};
StartRequest parseStart(const std::vector<std::string>& arguments);
Request requestOf(const std::vector<std::string>& arguments);

// The path the program acts as when started with --installation DIR: DIR/Config/ + the file
// name of `invokedAs`, so every path of the installation is found from there.
std::string executableInInstallation(const std::string& installation, const std::string& invokedAs);

// The one line printed after a missing configuration file when no installation was named: how
// to point the program at one.
std::string installationHint(const std::string& programFolder);

// Whether `commandLine` asks for silent start, read by the start-mode logic's own parser.
// Decided before any window system is touched, so that silent start never needs a display.
bool isSilentStart(const std::string& commandLine);

}  // namespace dalvon

#include "app/start_options.h"

#include "platform/program_identity.h"
#include "standard/command_line.h"

namespace dalvon {

std::string usageText() {
    return "Usage: Dalvon_Config [--installation DIR] [/EXTERNAL=ZEBCFG /LOGFILE=PATH | "
           "/EXTERNAL=SILENT]\n"
           "       Dalvon_Config --help | --version\n"
           "\n"
           "Rebuilds the preset definitions of the recipe component's database for every\n"
           "configured machine and stores the window's option. Every path is found from the\n"
           "program's folder: name the installation with --installation DIR, or run the\n"
           "program through a link named Dalvon_Config in the installation's Config folder.\n"
           "\n"
           "Options:\n"
           "  --installation DIR work on the installation in DIR, as if the program were\n"
           "                     DIR/Config/Dalvon_Config\n"
           "\n"
           "Start modes:\n"
           "  (no option)        standalone: the window opens; OK updates, Cancel leaves\n"
           "  /EXTERNAL=ZEBCFG   integrated: started by the operator interface's configuration\n"
           "  /LOGFILE=PATH      the error log in integrated start (a Windows path, e.g. "
           "Z:\\tmp\\x.log)\n"
           "  /EXTERNAL=SILENT   silent: no window and no questions, needs no display; what would\n"
           "                     be shown goes to the service log\n"
           "\n"
           "Environment:\n"
           "  DALVON_DRIVES      drive letters to host folders, e.g. C=/srv/c;D=/mnt/plant\n"
           "                     (default: Z: is /, C: is $XDG_DATA_HOME/dalvon/c)\n"
           "  XDG_DATA_HOME      home of the default C: drive (default ~/.local/share)\n"
           "  DALVON_UI          'terminal' uses the terminal window even when a display is there\n"
           "  QT_QPA_PLATFORM    Qt's platform plugin ('offscreen' for a window without screen)\n"
           "\n"
           "Without a display, or when the display cannot be reached (then one line on standard\n"
           "error says so), the window is shown on the terminal: on standard error, with one\n"
           "command a line on standard input: ok, cancel, close, toggle (the check box), info\n"
           "(the help button), frame, help (describes them). A message box takes the next line\n"
           "as its answer (yes, no, or an empty line for its default button). At the end of\n"
           "input a message box takes its default button and the window ends as a confirmed\n"
           "cancel. A display that cannot be reached with no terminal on standard input ends\n"
           "the program with status 1.\n"
           "\n"
           "Exit status: 0 the update finished; 1 ended through an error report, a fatal\n"
           "condition, a missing configuration file, a wrong command line, no way to show\n"
           "the window or another run holding the installation; 2 cancelled; 3 the update\n"
           "finished but faults were reported (the logs have them; the replaced database is\n"
           "kept in <component>\\Backup).\n";
}

std::string versionText() {
    Version version;
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

StartRequest parseStart(const std::vector<std::string>& arguments) {
    static const std::string kInstallation = "--installation";
    StartRequest request;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h")
            return {Request::Help, {}, {}, {}};
        if (argument == "--version")
            return {Request::Version, {}, {}, {}};
        if (argument == kInstallation || argument.rfind(kInstallation + "=", 0) == 0) {
            bool joined = argument.size() > kInstallation.size();
            if (!joined && i + 1 == arguments.size())
                return {Request::Invalid, {}, {}, "--installation needs a folder"};
            request.installation =
                joined ? argument.substr(kInstallation.size() + 1) : arguments[++i];
            if (request.installation.empty())
                return {Request::Invalid, {}, {}, "--installation needs a folder"};
            continue;
        }
        request.arguments.push_back(argument);
    }
    return request;
}

Request requestOf(const std::vector<std::string>& arguments) {
    return parseStart(arguments).kind;
}

std::string executableInInstallation(const std::string& installation,
                                     const std::string& invokedAs) {
    // Either separator: the program's own path is a Windows one on Windows.
    std::string name = invokedAs.substr(invokedAs.find_last_of("/\\") + 1);
    std::string folder = installation;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/Config/" + name;
}

std::string installationHint(const std::string& programFolder) {
    return "Dalvon_Config: no installation around " + programFolder +
           "; name one with: Dalvon_Config --installation DIR (DIR holds Config, Dalvon and "
           "parameter)\n";
}

bool isSilentStart(const std::string& commandLine) {
    return findCommandOption(commandLine, "EXTERNAL").value == "SILENT";
}

}  // namespace dalvon

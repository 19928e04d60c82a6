#include "app/start_options.h"

#include "platform/program_identity.h"
#include "platform/text.h"

namespace dalvon {

std::string usageText() {
    return "Usage: Dalvon_Config [/EXTERNAL=ZEBCFG /LOGFILE=PATH | /EXTERNAL=SILENT]\n"
           "       Dalvon_Config --help | --version\n"
           "\n"
           "Rebuilds the preset definitions of the recipe component's database for every\n"
           "configured machine and stores the window's option. Run it through a link named\n"
           "Dalvon_Config in an installation's Config folder: every path is found from there.\n"
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
           "Terminal window commands (one a line on standard input): ok, cancel, close,\n"
           "toggle, help, frame. A message box takes the next line as its answer (yes, no,\n"
           "or an empty line for its default button). At the end of input a message box\n"
           "takes its default button and the window ends as a confirmed cancel.\n"
           "\n"
           "Exit status: 0 the update finished, 1 ended through an error, 2 cancelled.\n";
}

std::string versionText() {
    Version version;
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

Request requestOf(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h")
            return Request::Help;
        if (argument == "--version")
            return Request::Version;
    }
    return Request::Start;
}

bool isSilentStart(const std::string& commandLine) {
    static const std::string kKey = "EXTERNAL";
    size_t at = upperCase(commandLine).find(kKey);
    if (at == std::string::npos || at + kKey.size() >= commandLine.size())
        return false;
    std::string value = commandLine.substr(at + kKey.size() + 1);
    value = value.substr(0, value.find('/'));
    return upperCase(trimBlanks(value)) == "SILENT";
}

bool wantsWindow(const char* display, const char* waylandDisplay, const char* qtPlatform,
                 const char* ui) {
    auto isSet = [](const char* value) { return value != nullptr && *value != '\0'; };
    if (isSet(ui) && std::string(ui) == "terminal")
        return false;
    return isSet(display) || isSet(waylandDisplay) || isSet(qtPlatform);
}

}  // namespace dalvon

#include "standard/command_line.h"

#include "platform/fault.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "standard/procedure.h"
#include "standard/runtime.h"

namespace dalvon {

std::optional<std::string> ReadCommand(Runtime& rt, const std::string& commandLine,
                                       const std::string& key) {
    Procedure proc(rt, "ReadCommand");
    // Upper-casing keeps every character's byte length, so positions carry over.
    std::string upperLine = upperCase(commandLine);
    size_t p = findText(upperLine, upperCase(key));
    if (p == 0)
        return std::nullopt;

    std::string value;
    proc.step([&] {
        long long remaining = static_cast<long long>(commandLine.size()) -
                              static_cast<long long>(p) - static_cast<long long>(key.size());
        if (remaining < 0)
            throw faults::invalidCall("option " + key + " has no value");
        // Skips the key and the one separator character after it, whatever it is.
        value = commandLine.substr(commandLine.size() - static_cast<size_t>(remaining));
    });
    value = upperCase(trimBlanks(value));
    size_t slash = value.find('/');
    if (slash != std::string::npos)
        value = upperCase(trimBlanks(value.substr(0, slash)));
    return value;
}

bool GetStartModeIntegrated(Runtime& rt) {
    Procedure proc(rt, "GetStartModeIntegrated");
    std::string value;
    proc.step([&] {
        value = upperCase(ReadCommand(rt, rt.identity.commandLine(), "EXTERNAL").value_or(""));
    });
    bool integrated = value == "ZEBCFG";
    rt.StartModeIntegrated = integrated;
    if (value == "SILENT") {
        rt.StartModeSilent = true;
        rt.StartModeIntegrated = false;
        integrated = false;
    } else {
        rt.StartModeSilent = false;
    }
    return integrated;
}

std::string GetPathLogfile(Runtime& rt) {
    Procedure proc(rt, "GetPathLogfile");
    return proc.value(std::string(), [&] {
        return ReadCommand(rt, rt.identity.commandLine(), "LOGFILE").value_or("");
    });
}

}  // namespace dalvon

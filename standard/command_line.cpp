#include "standard/command_line.h"

#include "platform/fault.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "standard/procedure.h"
#include "standard/runtime.h"

namespace dalvon {

CommandOption findCommandOption(const std::string& commandLine, const std::string& key) {
    CommandOption option;
    // Upper-casing keeps every character's byte length, so positions carry over.
    size_t p = findText(upperCase(commandLine), upperCase(key));
    if (p == 0)
        return option;
    option.found = true;
    // Skips the key and the one separator character after it, whatever it is (p is 1-based).
    size_t start = p + key.size();
    if (start > commandLine.size())
        return option;
    option.hasValue = true;
    std::string value = upperCase(trimBlanks(commandLine.substr(start)));
    size_t slash = value.find('/');
    option.value = slash == std::string::npos ? value : trimBlanks(value.substr(0, slash));
    return option;
}

std::optional<std::string> ReadCommand(Runtime& rt, const std::string& commandLine,
                                       const std::string& key) {
    Procedure proc(rt, "ReadCommand");
    CommandOption option = findCommandOption(commandLine, key);
    if (!option.found)
        return std::nullopt;
    proc.step([&] {
        if (!option.hasValue)
            throw faults::invalidCall("option " + key + " has no value");
    });
    return option.value;
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

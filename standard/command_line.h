#pragma once

#include <optional>
#include <string>

namespace dalvon {

struct Runtime;

// Option `key` of `commandLine`: found anywhere regardless of case, then one separator
// character of any kind, then the value up to the next "/", trimmed and upper-cased. Needs no
// Runtime, so that the start can ask before there is one.
struct CommandOption {
    bool found = false;
    bool hasValue = false;  // false when the key ends the text, leaving no room for a separator
    std::string value;
};
CommandOption findCommandOption(const std::string& commandLine, const std::string& key);

// The value of option `key` in `commandLine` (see findCommandOption); nothing when the key
// does not occur. A key that ends the text is Fault 5 of this procedure, then the empty text.
std::optional<std::string> ReadCommand(Runtime& rt, const std::string& commandLine,
                                       const std::string& key);

// Reads EXTERNAL, sets StartModeIntegrated and StartModeSilent; true for integrated start.
bool GetStartModeIntegrated(Runtime& rt);

// The LOGFILE option, upper-cased, or the empty text.
std::string GetPathLogfile(Runtime& rt);

}  // namespace dalvon

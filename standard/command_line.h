#pragma once

#include <optional>
#include <string>

namespace dalvon {

struct Runtime;

// The value of option `key` in `commandLine`: the text after the key and one separator up to
// the next "/", trimmed and upper-cased; nothing when the key does not occur.
std::optional<std::string> ReadCommand(Runtime& rt, const std::string& commandLine,
                                       const std::string& key);

// Reads EXTERNAL, sets StartModeIntegrated and StartModeSilent; true for integrated start.
bool GetStartModeIntegrated(Runtime& rt);

// The LOGFILE option, upper-cased, or the empty text.
std::string GetPathLogfile(Runtime& rt);

}  // namespace dalvon

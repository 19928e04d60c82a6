#pragma once

#include <string>
#include <vector>

#include "tools/dalvon-db/db_commands.h"

namespace dalvon::db_tool {

enum class ToolRequest { Run, Help, Version, Invalid };

// The command line of dalvon-db: `--help`, `--version`, or `COMMAND [options] ARGUMENTS`, where
// `COMMAND --help` asks for the command's help and "--" ends the options. Options a command
// does not declare are errors.
struct ToolCommandLine {
    ToolRequest request = ToolRequest::Invalid;
    const Command* command = nullptr;  // the command named, when it is one
    std::vector<std::string> arguments;
    Options options;
    std::string error;  // why the line is Invalid; empty for an empty line
};

ToolCommandLine parseToolCommandLine(const std::vector<std::string>& arguments);

// The text of `dalvon-db --help` and of `dalvon-db COMMAND --help`.
std::string usageText();
std::string commandHelp(const Command& command);

// The version `--version` prints ("1.0.2").
std::string toolVersion();

}  // namespace dalvon::db_tool

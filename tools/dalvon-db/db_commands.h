#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dalvon {

class Database;
class DatabaseEngine;
class FileSystem;

namespace db_tool {

// The options given to a command, by name ("--format" -> "json"); a flag maps to "".
using Options = std::map<std::string, std::string, std::less<>>;

// What a command works with. Paths on the command line are host paths; `open` turns one into
// the Windows form the engine takes. The engine opens files read-only: a command that writes
// makes its own.
struct CommandContext {
    DatabaseEngine& engine;
    FileSystem& files;
    std::ostream& out;
    Options options = {};

    bool has(std::string_view option) const { return options.find(option) != options.end(); }
    std::string option(std::string_view name, const std::string& fallback) const;
};

// An option a command accepts: "--name" alone, or "--name VALUE" / "--name=VALUE".
struct OptionSpec {
    std::string_view name;
    std::string_view value;  // for the help text, e.g. "csv|json"; empty for a flag
    std::string_view help;
};

// One subcommand: `dalvon-db <name> [options] <arguments>`. `run` throws Fault on bad input
// and returns the exit status otherwise.
struct Command {
    std::string_view name;
    std::string_view arguments;  // for the usage text, e.g. "FILE [TABLE]"
    std::string_view summary;
    size_t minArguments;
    size_t maxArguments;
    int (*run)(CommandContext& context, const std::vector<std::string>& arguments);
    std::vector<OptionSpec> options = {};
    std::string_view details = {};  // more for `dalvon-db COMMAND --help`
    // The exit status of a Fault: 1, or 2 for a command whose status 1 means something else.
    int faultStatus = 1;
};

// A wrong command line found by a command itself (an option value it does not know): the
// usage status 2, not a fault of the file.
struct UsageError {
    std::string message;
};

// All subcommands, in the order the usage text lists them.
const std::vector<Command>& commands();

// Opens a database named by a host path. A missing file and a folder are refused here with
// the host path in the message (Fault 3024 "could not find", 3051 "is a directory").
std::unique_ptr<Database> openDatabase(CommandContext& context, const std::string& hostPath);

}  // namespace db_tool
}  // namespace dalvon

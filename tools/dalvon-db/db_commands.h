#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dalvon {

class Database;
class DatabaseEngine;
class FileSystem;

namespace db_tool {

// What a command works with. Paths on the command line are host paths; `open` turns one into
// the Windows form the engine takes.
struct CommandContext {
    DatabaseEngine& engine;
    FileSystem& files;
    std::ostream& out;
};

// One subcommand: `dalvon-db <name> <arguments>`. `run` throws Fault on bad input and
// returns the exit status otherwise.
struct Command {
    std::string_view name;
    std::string_view arguments;  // for the usage text, e.g. "FILE [TABLE]"
    std::string_view summary;
    size_t minArguments;
    size_t maxArguments;
    int (*run)(CommandContext& context, const std::vector<std::string>& arguments);
};

// All subcommands, in the order the usage text lists them.
const std::vector<Command>& commands();

}  // namespace db_tool
}  // namespace dalvon

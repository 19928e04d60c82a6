// dalvon-db: inspects the program's databases from the command line, through the same engine
// as the program itself.
#include <iostream>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/database.h"
#include "tools/dalvon-db/db_commands.h"

namespace {

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

int usage(std::ostream& out) {
    out << "usage: dalvon-db COMMAND ARGUMENTS\n\ncommands:\n";
    for (const auto& command : dalvon::db_tool::commands()) {
        out << "  " << command.name << ' ' << command.arguments << "\n      " << command.summary
            << '\n';
    }
    out << "\nFILE is a host path. Exit status 0 on success, 1 when the database or table "
           "cannot be read, 2 for a wrong command line.\n";
    return kExitUsage;
}

const dalvon::db_tool::Command* findCommand(const std::string& name) {
    for (const auto& command : dalvon::db_tool::commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return usage(std::cerr);
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        usage(std::cout);
        return 0;
    }
    const dalvon::db_tool::Command* command = findCommand(arguments[0]);
    arguments.erase(arguments.begin());
    if (!command || arguments.size() < command->minArguments ||
        arguments.size() > command->maxArguments) {
        std::cerr << "dalvon-db: " << (command ? "wrong number of arguments" : "unknown command")
                  << "\n\n";
        return usage(std::cerr);
    }
    try {
        auto files = dalvon::makePosixFileSystem(dalvon::drivesFromEnvironment());
        auto engine = dalvon::makeDatabaseEngine(*files);
        dalvon::db_tool::CommandContext context{*engine, *files, std::cout};
        int status = command->run(context, arguments);
        std::cout.flush();
        return status;
    } catch (const dalvon::Fault& fault) {
        std::cout.flush();
        std::cerr << "dalvon-db: " << arguments[0] << ": " << fault.description() << " (error "
                  << fault.number() << ")\n";
        return kExitFault;
    }
}

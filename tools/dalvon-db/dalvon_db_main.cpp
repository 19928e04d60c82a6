// dalvon-db: inspects the program's databases from the command line, through the same engine
// as the program itself, opening them read-only unless a command writes.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/process_setup.h"
#include "platform/program_identity.h"
#include "store/database.h"
#include "store/open_mode.h"
#include "tools/dalvon-db/db_commands.h"
#include "tools/dalvon-db/tool_command_line.h"

namespace {

namespace db = dalvon::db_tool;

constexpr int kExitOk = 0;
constexpr int kExitFault = 1;  // before a command runs; a command has its own
constexpr int kExitUsage = 2;

int usageError(const std::string& message, const db::Command* command) {
    std::cerr << "dalvon-db: " << message << "\n";
    std::string name = command ? std::string(command->name) + " " : "";
    if (command)
        std::cerr << "usage: dalvon-db " << name << command->arguments << "\n";
    std::cerr << "Try 'dalvon-db " << name << "--help'.\n";
    return kExitUsage;
}

// The engine names files in Windows form; the user gave host paths and sees those.
std::string withHostPaths(std::string text, dalvon::FileSystem& files,
                          const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        std::error_code error;
        std::string windows = files.windowsPath(
            dalvon::utf8FromPath(std::filesystem::absolute(dalvon::pathFromUtf8(argument), error)));
        for (size_t at = text.find(windows); !windows.empty() && at != std::string::npos;
             at = text.find(windows, at + argument.size())) {
            text.replace(at, windows.size(), argument);
        }
    }
    return text;
}

int runCommand(const db::Command& command, const db::ToolCommandLine& line) {
    auto files = dalvon::makeSystemFileSystem();
    auto engine = dalvon::makeDatabaseEngine(*files, dalvon::OpenMode::ReadOnly);
    db::CommandContext context{*engine, *files, std::cout, line.options};
    try {
        int status = command.run(context, line.arguments);
        std::cout.flush();
        return status;
    } catch (const dalvon::Fault& fault) {
        std::cout.flush();
        std::cerr << "dalvon-db: " << command.name << ": "
                  << withHostPaths(fault.description(), *files, line.arguments) << " (error "
                  << fault.number() << ")\n";
        return command.faultStatus;
    }
}

}  // namespace

int main(int argc, char** argv) {
    dalvon::prepareProcess();
    db::ToolCommandLine line = db::parseToolCommandLine(dalvon::programArguments(argc, argv));
    switch (line.request) {
        case db::ToolRequest::Version:
            std::cout << "dalvon-db " << db::toolVersion() << '\n';
            return kExitOk;
        case db::ToolRequest::Help:
            std::cout << (line.command ? db::commandHelp(*line.command) : db::usageText());
            return kExitOk;
        case db::ToolRequest::Invalid:
            if (line.command == nullptr && line.error.empty()) {
                std::cerr << db::usageText();
                return kExitUsage;
            }
            return usageError(line.error, line.command);
        case db::ToolRequest::Run:
            break;
    }
    try {
        return runCommand(*line.command, line);
    } catch (const db::UsageError& error) {
        return usageError(error.message, line.command);
    } catch (const dalvon::Fault& fault) {
        // A fault before any file is opened (a malformed drive table).
        std::cerr << "dalvon-db: " << fault.description() << " (error " << fault.number() << ")\n";
        return kExitFault;
    }
}

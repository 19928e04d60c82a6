#include "tools/dalvon-db/tool_command_line.h"

#include <algorithm>

namespace dalvon::db_tool {
namespace {

const Command* findCommand(const std::string& name) {
    for (const Command& command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

const OptionSpec* findOption(const Command& command, const std::string& name) {
    for (const OptionSpec& option : command.options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

ToolCommandLine invalid(std::string error, const Command* command = nullptr) {
    ToolCommandLine line;
    line.command = command;
    line.error = std::move(error);
    return line;
}

// Takes the option at `i` (and its value, which may be the next argument); false with
// `line.error` set when it is none of the command's.
bool takeOption(const std::vector<std::string>& arguments, size_t& i, ToolCommandLine& line) {
    const std::string& argument = arguments[i];
    size_t equals = argument.find('=');
    std::string name = argument.substr(0, equals);
    const OptionSpec* known = findOption(*line.command, name);
    if (known == nullptr) {
        line.error = "unknown option '" + name + "' for " + std::string(line.command->name);
        return false;
    }
    if (known->value.empty()) {
        if (equals != std::string::npos) {
            line.error = "option '" + name + "' takes no value";
            return false;
        }
        line.options[name] = "";
        return true;
    }
    if (equals == std::string::npos && i + 1 == arguments.size()) {
        line.error = "option '" + name + "' needs a value (" + std::string(known->value) + ")";
        return false;
    }
    line.options[name] = equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
    return true;
}

}  // namespace

ToolCommandLine parseToolCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return {};
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h")
        return {ToolRequest::Help, nullptr, {}, {}, {}};
    if (first == "--version")
        return {ToolRequest::Version, nullptr, {}, {}, {}};
    if (isOption(first))
        return invalid("unknown option '" + first + "'");
    ToolCommandLine line;
    line.command = findCommand(first);
    if (line.command == nullptr)
        return invalid("unknown command '" + first + "'");
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && (argument == "--help" || argument == "-h"))
            return {ToolRequest::Help, line.command, {}, {}, {}};
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && isOption(argument)) {
            if (!takeOption(arguments, i, line))
                return invalid(line.error, line.command);
        } else {
            line.arguments.push_back(argument);
        }
    }
    if (line.arguments.size() < line.command->minArguments ||
        line.arguments.size() > line.command->maxArguments)
        return invalid("wrong number of arguments for " + std::string(line.command->name),
                       line.command);
    line.request = ToolRequest::Run;
    return line;
}

std::string usageText() {
    std::string text =
        "usage: dalvon-db COMMAND [OPTIONS] ARGUMENTS\n"
        "       dalvon-db COMMAND --help | --help | --version\n\ncommands:\n";
    for (const Command& command : commands()) {
        text += "  " + std::string(command.name) + ' ' + std::string(command.arguments) +
                "\n      " + std::string(command.summary) + '\n';
    }
    text +=
        "\nFILE is a host path; files are opened read-only unless a command writes.\n"
        "Exit status: 0 success, 1 a database or table cannot be read or written, 2 a wrong\n"
        "command line. diff: 0 the tables agree, 1 they differ, 2 a wrong command line or a\n"
        "file, table or field that cannot be read.\n";
    return text;
}

std::string commandHelp(const Command& command) {
    std::string text = "usage: dalvon-db " + std::string(command.name) + ' ' +
                       std::string(command.arguments) + "\n\n" + std::string(command.summary) +
                       ".\n";
    if (!command.details.empty())
        text += std::string(command.details) + "\n";
    if (!command.options.empty())
        text += "\noptions:\n";
    for (const OptionSpec& option : command.options) {
        std::string name = std::string(option.name);
        if (!option.value.empty())
            name += ' ' + std::string(option.value);
        name.resize(std::max<size_t>(name.size() + 2, 20), ' ');
        text += "  " + name + std::string(option.help) + '\n';
    }
    return text;
}

std::string toolVersion() {
    return DALVON_VERSION;
}

}  // namespace dalvon::db_tool

// The identity of a Windows process: the executable's path from the module, the command line as
// the system keeps it, the environment from the process's own block, all read in UTF-16.
#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "platform/file_system.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "platform/win32.h"

namespace dalvon {
namespace {

using win32::narrow;

std::string withoutExeExtension(const std::string& fileName) {
    size_t dot = fileName.rfind('.');
    if (dot != std::string::npos && equalsIgnoreCase(fileName.substr(dot), ".exe"))
        return fileName.substr(0, dot);
    return fileName;
}

std::string joinedArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i)
        line += (i > 0 ? " " : "") + arguments[i];
    return line;
}

// The command line after the program's name, as typed: quotes and runs of blanks kept, as the
// classic runtime's command-line text keeps them. The name ends at its closing quote or at the
// first blank.
std::wstring textAfterProgramName(std::wstring_view line) {
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        at = close == std::wstring_view::npos ? line.size() : close + 1;
    }
    while (at < line.size() && line[at] != L' ' && line[at] != L'\t')
        ++at;
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t'))
        ++at;
    return std::wstring(line.substr(at));
}

// The arguments as the system splits the command line, in UTF-8.
std::vector<std::string> systemArguments() {
    int count = 0;
    wchar_t** split = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; split != nullptr && i < count; ++i)
        arguments.push_back(narrow(split[i]));
    ::LocalFree(split);
    return arguments;
}

// The first variable of the environment block. Entries that start with '=' are the system's
// note of each drive's current folder, no variable.
std::string firstVariable() {
    wchar_t* block = ::GetEnvironmentStringsW();
    std::string first;
    for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0';
         entry += std::wstring_view(entry).size() + 1) {
        if (*entry != L'=') {
            first = narrow(entry);
            break;
        }
    }
    ::FreeEnvironmentStringsW(block);
    return first;
}

}  // namespace

std::string invokedProgramPath(const char*) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

std::vector<std::string> programArguments(int, char**) {
    return systemArguments();
}

std::unique_ptr<ProgramIdentity> makeProcessIdentity(FileSystem& files,
                                                     const std::string& invokedAs,
                                                     const std::vector<std::string>& arguments,
                                                     char**) {
    std::string executable = files.windowsPath(invokedAs);
    size_t slash = executable.rfind('\\');
    std::string folder = executable.substr(0, slash);
    // Options the start took for itself are not part of the program's command line.
    std::string commandLine = arguments == systemArguments()
                                  ? narrow(textAfterProgramName(::GetCommandLineW()))
                                  : joinedArguments(arguments);
    return std::make_unique<FixedIdentity>(std::move(folder),
                                           withoutExeExtension(executable.substr(slash + 1)),
                                           std::move(commandLine), firstVariable());
}

}  // namespace dalvon

#include "platform/program_identity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text.h"

namespace dalvon {
namespace {

namespace fs = std::filesystem;

// What a shell searches when PATH is not set.
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

std::string searchPathOf(char** environment) {
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        if (text.substr(0, 5) == "PATH=")
            return std::string(text.substr(5));
    }
    return kDefaultSearchPath;
}

bool isExecutableFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The executable as the shell found it: argv[0] itself when it names a path, otherwise the
// first match along PATH (an empty PATH entry is the current folder).
fs::path invokedPath(const std::string& invokedAs, char** environment) {
    if (invokedAs.find('/') != std::string::npos)
        return invokedAs;
    std::string search = searchPathOf(environment);
    std::string_view rest(search);
    while (true) {
        size_t colon = rest.find(':');
        std::string_view folder = rest.substr(0, colon);
        fs::path candidate = fs::path(folder.empty() ? "." : std::string(folder)) / invokedAs;
        if (isExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            break;
        rest = rest.substr(colon + 1);
    }
    return invokedAs;
}

std::string withoutExeExtension(const std::string& fileName) {
    size_t dot = fileName.rfind('.');
    if (dot != std::string::npos && equalsIgnoreCase(fileName.substr(dot), ".exe")) {
        return fileName.substr(0, dot);
    }
    return fileName;
}

std::string joinedArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            line += ' ';
        line += arguments[i];
    }
    return line;
}

}  // namespace

std::string invokedProgramPath(const char* argv0) {
    return argv0 != nullptr ? argv0 : "";
}

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::unique_ptr<ProgramIdentity> makeProcessIdentity(FileSystem& files,
                                                     const std::string& invokedAs,
                                                     const std::vector<std::string>& arguments,
                                                     char** environment) {
    // Lexical only: a link placed in an installation must count as living there.
    fs::path executable = fs::absolute(invokedPath(invokedAs, environment)).lexically_normal();
    std::string folder = files.windowsPath(executable.parent_path().string());
    std::string firstEntry =
        environment != nullptr && environment[0] != nullptr ? environment[0] : "";
    return std::make_unique<FixedIdentity>(std::move(folder),
                                           withoutExeExtension(executable.filename().string()),
                                           joinedArguments(arguments), std::move(firstEntry));
}

}  // namespace dalvon

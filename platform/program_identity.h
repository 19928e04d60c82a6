#pragma once

#include <memory>
#include <string>
#include <vector>

namespace dalvon {

class FileSystem;

struct Version {
    int major = 1;
    int minor = 0;
    int revision = 2;
};

// What the program knows about itself, as the logic sees it.
class ProgramIdentity {
public:
    ProgramIdentity() = default;
    ProgramIdentity(const ProgramIdentity&) = delete;
    ProgramIdentity& operator=(const ProgramIdentity&) = delete;
    virtual ~ProgramIdentity() = default;

    // The folder that holds the executable, Windows form, no trailing backslash
    // ("Z:\opt\plant\Config").
    virtual std::string programFolder() const = 0;
    // The executable's file name without extension ("Dalvon_Config").
    virtual std::string executableName() const = 0;
    virtual Version version() const = 0;
    // The arguments after the program name joined with single spaces.
    virtual std::string commandLine() const = 0;
    // The first entry of the process environment ("NAME=value"), empty when there is none.
    virtual std::string firstEnvironmentEntry() const = 0;
};

// The path of the running program as the identity takes it: `argv0` on POSIX (a link keeps
// its place), the module's own path on Windows (argv[0] there is in the ANSI code page and may
// lack folder and extension).
std::string invokedProgramPath(const char* argv0);

// The identity of the running process. `invokedAs` is argv[0]: its folder is taken from that
// path as given (made absolute, a symlink not resolved) so that a link named
// <Component>_Config placed in an installation behaves like a copy of the executable there.
std::unique_ptr<ProgramIdentity> makeProcessIdentity(FileSystem& files,
                                                     const std::string& invokedAs,
                                                     const std::vector<std::string>& arguments,
                                                     char** environment);

// The program's arguments after its name, in UTF-8 (on Windows read again from the wide command
// line, since argv holds them in the ANSI code page).
std::vector<std::string> programArguments(int argc, char** argv);

// A fixed identity for tests and tools.
class FixedIdentity : public ProgramIdentity {
public:
    FixedIdentity(std::string folder, std::string exeName, std::string commandLine = {},
                  std::string firstEnvironmentEntry = "HOME=/root")
        : m_folder(std::move(folder)),
          m_exe(std::move(exeName)),
          m_commandLine(std::move(commandLine)),
          m_env(std::move(firstEnvironmentEntry)) {}

    std::string programFolder() const override { return m_folder; }
    std::string executableName() const override { return m_exe; }
    Version version() const override { return {}; }
    std::string commandLine() const override { return m_commandLine; }
    std::string firstEnvironmentEntry() const override { return m_env; }

    void setCommandLine(std::string text) { m_commandLine = std::move(text); }
    void setFirstEnvironmentEntry(std::string text) { m_env = std::move(text); }

private:
    std::string m_folder;
    std::string m_exe;
    std::string m_commandLine;
    std::string m_env;
};

}  // namespace dalvon

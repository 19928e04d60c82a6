#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_installation.h"

namespace dalvon::testing {

// The write end of a started program's standard input: what is sent arrives as if typed; the
// program reads the end of its input when the object goes.
class ProgramInput {
public:
    explicit ProgramInput(int fd) : m_fd(fd) {}
    ProgramInput(ProgramInput&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    ProgramInput& operator=(ProgramInput&&) = delete;
    ~ProgramInput();
    void send(const std::string& text);

private:
    int m_fd;
};

struct StartedProgram {
    pid_t pid;
    ProgramInput input;
};

struct ProgramOutcome {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs a built program (Dalvon_Config through a link in the installation's Config folder, or
// any other tool) as a child process with the installation's drive table.
class ProgramRunner {
public:
    // `program` is the built executable; it is linked as D:\Plant\Config\Dalvon_Config.
    ProgramRunner(TestInstallation& inst, std::string program);

    // Starts the program with `arguments`; output goes to files read by wait(). As an ordinary
    // user, when run as root, so that file permissions are enforced (see ordinaryUser).
    pid_t start(const std::vector<std::string>& arguments, bool asOrdinaryUser = false);
    // Starts the program with `arguments` and its standard input on a pipe.
    StartedProgram startWithInput(const std::vector<std::string>& arguments);
    // What a started program has written to standard error so far.
    std::string errorSoFar(pid_t child);
    ProgramOutcome wait(pid_t child);
    ProgramOutcome run(const std::vector<std::string>& arguments, bool asOrdinaryUser = false) {
        return wait(start(arguments, asOrdinaryUser));
    }
    // Runs another executable (dalvon-db) with host-path arguments.
    ProgramOutcome runTool(const std::string& tool, const std::vector<std::string>& arguments);

    // Lets the program's writes beyond `bytes` of any file fail (EFBIG), as on a full disk.
    void limitFileSize(uint64_t bytes) { m_fileSizeLimit = bytes; }

    // Makes the installation usable by the ordinary user (when root), the program a copy inside
    // it; false when neither root nor an ordinary user can have permissions enforced.
    bool permissionsEnforced();

private:
    // Standard input is `input` when given, else /dev/null.
    pid_t spawn(std::vector<std::string> argv, bool asOrdinaryUser, int input = -1);
    // Where a child's standard output and error go: files of their own, since runs overlap.
    std::filesystem::path outputOf(pid_t child, const char* stream) const;

    TestInstallation& m_inst;
    std::string m_program;
    uint64_t m_fileSizeLimit = 0;  // 0: none
};

// The user id that runs the program for permission tests when the suite runs as root.
inline constexpr uid_t kOrdinaryUser = 65534;

// Every file below `root` whose name marks it as a temp file or journal of a run.
std::vector<std::string> tempFilesBelow(const std::filesystem::path& root);

}  // namespace dalvon::testing

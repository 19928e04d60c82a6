#include "tests/support/program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace dalvon::testing {
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void redirect(const fs::path& path, int target, int flags) {
    int fd = open(path.c_str(), flags, 0666);
    dup2(fd, target);
    close(fd);
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ProgramInput::~ProgramInput() {
    if (m_fd >= 0)
        close(m_fd);
}

void ProgramInput::send(const std::string& text) {
    ssize_t written = write(m_fd, text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("the program's input took " + std::to_string(written) + " of " +
                                 std::to_string(text.size()) + " bytes");
}

ProgramRunner::ProgramRunner(TestInstallation& inst, std::string program)
    : m_inst(inst), m_program(std::move(program)) {
    fs::create_symlink(m_program, inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config");
}

pid_t ProgramRunner::start(const std::vector<std::string>& arguments, bool asOrdinaryUser) {
    std::vector<std::string> argv{(m_inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return spawn(std::move(argv), asOrdinaryUser);
}

StartedProgram ProgramRunner::startWithInput(const std::vector<std::string>& arguments) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe for the program's input");
    ProgramInput input(ends[1]);
    std::vector<std::string> argv{(m_inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_t child = spawn(std::move(argv), false, ends[0]);
    close(ends[0]);
    return {child, std::move(input)};
}

std::string ProgramRunner::errorSoFar(pid_t child) {
    return slurp(outputOf(child, "stderr"));
}

fs::path ProgramRunner::outputOf(pid_t child, const char* stream) const {
    return m_inst.root() / (std::string(stream) + "." + std::to_string(child));
}

ProgramOutcome ProgramRunner::runTool(const std::string& tool,
                                      const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{tool};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return wait(spawn(std::move(argv), false));
}

pid_t ProgramRunner::spawn(std::vector<std::string> argv, bool asOrdinaryUser, int input) {
    std::vector<std::string> environment{"EDITOR_ID=a-b_c",
                                         "DALVON_DRIVES=C=" + (m_inst.root() / "c").string() +
                                             ";D=" + (m_inst.root() / "d").string()};
    pid_t child = fork();
    if (child == 0) {
        if (input >= 0)
            dup2(input, STDIN_FILENO);
        else
            redirect("/dev/null", STDIN_FILENO, O_RDONLY);
        redirect(outputOf(getpid(), "stdout"), STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(outputOf(getpid(), "stderr"), STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        if (asOrdinaryUser && geteuid() == 0 &&
            (setgid(kOrdinaryUser) != 0 || setuid(kOrdinaryUser) != 0)) {
            _exit(126);
        }
        if (m_fileSizeLimit != 0) {
            // The signal keeps its default action: the program itself must turn it into a
            // failed write.
            const rlimit limit{m_fileSizeLimit, m_fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> args = pointers(argv), env = pointers(environment);
        execve(args[0], args.data(), env.data());
        _exit(127);
    }
    return child;
}

ProgramOutcome ProgramRunner::wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    ProgramOutcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = slurp(outputOf(child, "stdout"));
    outcome.err = slurp(outputOf(child, "stderr"));
    return outcome;
}

bool ProgramRunner::permissionsEnforced() {
    if (geteuid() != 0)
        return true;
    // The ordinary user must reach and change everything but what a test makes read-only.
    std::error_code ignored;
    fs::permissions(m_inst.root(), fs::perms::all, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(m_inst.root())) {
        fs::permissions(entry.path(),
                        entry.is_directory() ? fs::perms::all
                                             : fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::group_write |
                                                   fs::perms::others_read | fs::perms::others_write,
                        fs::perm_options::replace | fs::perm_options::nofollow, ignored);
    }
    // The build may lie below a folder that user cannot enter: the installation gets a copy.
    fs::path copy = m_inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config";
    fs::remove(copy);
    fs::copy_file(m_program, copy);
    fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    return true;
}

std::vector<std::string> tempFilesBelow(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().filename().string();
        if (name.find(".tmp") != std::string::npos || name.ends_with("-journal") ||
            name.ends_with("-wal")) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

}  // namespace dalvon::testing

#include "tests/support/program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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

ProgramRunner::ProgramRunner(TestInstallation& inst, std::string program)
    : m_inst(inst), m_program(std::move(program)) {
    fs::create_symlink(m_program, inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config");
}

pid_t ProgramRunner::start(const std::vector<std::string>& arguments, bool asOrdinaryUser) {
    std::vector<std::string> argv{(m_inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return spawn(std::move(argv), asOrdinaryUser);
}

ProgramOutcome ProgramRunner::runTool(const std::string& tool,
                                      const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{tool};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return wait(spawn(std::move(argv), false));
}

pid_t ProgramRunner::spawn(std::vector<std::string> argv, bool asOrdinaryUser) {
    std::vector<std::string> environment{"EDITOR_ID=a-b_c",
                                         "DALVON_DRIVES=C=" + (m_inst.root() / "c").string() +
                                             ";D=" + (m_inst.root() / "d").string()};
    fs::path out = m_inst.root() / "stdout", err = m_inst.root() / "stderr";
    pid_t child = fork();
    if (child == 0) {
        redirect("/dev/null", STDIN_FILENO, O_RDONLY);
        redirect(out, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(err, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
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
    outcome.out = slurp(m_inst.root() / "stdout");
    outcome.err = slurp(m_inst.root() / "stderr");
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

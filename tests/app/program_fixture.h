#pragma once

// The built program, run as a caller would run it: through a link in a temp installation, with
// a given environment and standard input, its output and exit status kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/profile_store.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

namespace fs = std::filesystem;

inline constexpr const char* kCancelLine = "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Program : public ::testing::Test {
protected:
    explicit Program(DatabaseFormat format = DatabaseFormat::Sqlite) : inst(format) {
        inst.makeExample();
        fs::create_symlink(DALVON_PROGRAM, link());
    }

    // argv[0] of the next runs: the link in the installation unless set otherwise.
    std::string program;
    // Standard input is a terminal (a pseudo terminal fed with the input) instead of a file.
    bool onTerminal = false;

    fs::path link() const { return inst.root() / "d" / "Plant" / "Config" / "Dalvon_Config"; }

    // Runs the program with `arguments`, `input` on standard input and exactly `environment`
    // after the first entry (and the installation's drive table unless it has one of its own).
    Outcome run(const std::vector<std::string>& arguments, const std::string& input = {},
                std::vector<std::string> environment = {}) {
        bool ownDrives = false;
        for (const std::string& variable : environment)
            ownDrives = ownDrives || variable.rfind("DALVON_DRIVES=", 0) == 0;
        if (!ownDrives) {
            environment.insert(environment.begin(),
                               "DALVON_DRIVES=C=" + (inst.root() / "c").string() +
                                   ";D=" + (inst.root() / "d").string());
        }
        environment.insert(environment.begin(), "EDITOR_ID=a-b_c");
        fs::path in = inst.root() / "stdin", out = inst.root() / "stdout",
                 err = inst.root() / "stderr";
        inst.writeFile("C:\\stdin", input);
        fs::rename(inst.host("C:\\stdin"), in);
        std::vector<std::string> argv{program.empty() ? link().string() : program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        int terminal = onTerminal ? openTerminal() : -1;
        pid_t child = fork();
        if (child == 0) {
            if (terminal >= 0) {
                setsid();
                redirect(ptsname(terminal), STDIN_FILENO, O_RDWR);
            } else {
                redirect(in, STDIN_FILENO, O_RDONLY);
            }
            redirect(out, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            redirect(err, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            std::vector<char*> args = pointers(argv), env = pointers(environment);
            execve(args[0], args.data(), env.data());
            _exit(127);
        }
        if (terminal >= 0) {
            // The input, then the end-of-file character at the start of a line.
            std::string typed = input + "\x04";
            ssize_t written = write(terminal, typed.data(), typed.size());
            EXPECT_EQ(written, static_cast<ssize_t>(typed.size()));
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (terminal >= 0)
            close(terminal);
        Outcome outcome;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.out = slurp(out);
        outcome.err = slurp(err);
        EXPECT_EQ(inst.jetProblems(), std::vector<std::string>{});
        return outcome;
    }

    std::string entry(const std::string& section, const std::string& key, const std::string& file) {
        return inst.rt().profiles.getString(section, key, "<missing>", 4096, file);
    }

    TestInstallation inst;

private:
    static int openTerminal() {
        int master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        grantpt(master);
        unlockpt(master);
        return master;
    }

    static void redirect(const fs::path& path, int target, int flags) {
        int fd = open(path.c_str(), flags, 0600);
        dup2(fd, target);
        close(fd);
    }

    static std::vector<char*> pointers(std::vector<std::string>& texts) {
        std::vector<char*> result;
        for (std::string& text : texts)
            result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    }

    static std::string slurp(const fs::path& path) {
        std::string text;
        if (FILE* file = std::fopen(path.c_str(), "rb")) {
            for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
                text += static_cast<char>(c);
            std::fclose(file);
        }
        return text;
    }
};

// The program on installations whose databases are of either format.
class ProgramOn : public Program, public ::testing::WithParamInterface<DatabaseFormat> {
protected:
    ProgramOn() : Program(GetParam()) {}
};

}  // namespace dalvon::testing

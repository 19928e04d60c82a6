// The built program, run through a link in a temp installation, as a caller would run it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/profile_store.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLanguageFile = "D:\\Plant\\Config\\Dalvon_Config.ini";
constexpr const char* kProgramIni = "D:\\Plant\\parameter\\Program.ini";
constexpr const char* kConfigurationFile = "D:\\Plant\\Dalvon\\Dalvon.cfg";
constexpr const char* kCancelLine = "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Program : public ::testing::Test {
protected:
    Program() {
        inst.makeExample();
        fs::create_symlink(DALVON_PROGRAM, link());
    }

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
        std::vector<std::string> argv{link().string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_t child = fork();
        if (child == 0) {
            redirect(in, STDIN_FILENO, O_RDONLY);
            redirect(out, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            redirect(err, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            std::vector<char*> args = pointers(argv), env = pointers(environment);
            execve(args[0], args.data(), env.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        Outcome outcome;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.out = slurp(out);
        outcome.err = slurp(err);
        return outcome;
    }

    std::string entry(const std::string& section, const std::string& key, const std::string& file) {
        return inst.rt().profiles.getString(section, key, "<missing>", 4096, file);
    }

    TestInstallation inst;

private:
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

TEST_F(Program, SilentStartNeedsNoDisplayAndStoresEverything) {
    // A display that does not exist: a window system touched in silent start would abort.
    Outcome outcome = run({"/EXTERNAL=SILENT"}, "", {"DISPLAY=:97", "WAYLAND_DISPLAY=none"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
    EXPECT_EQ(entry("Info", "S_Editor", kConfigurationFile), "666768");
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "false");
    EXPECT_EQ(entry("Language", "Language", kLanguageFile), "1031");
    EXPECT_EQ(entry("1031", "Caption_CheckJump_", kLanguageFile), "Sprung zu MaterialChange");
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));
}

TEST_F(Program, StandaloneThroughTheTerminalWindow) {
    Outcome outcome = run({}, "toggle\nok\n", {"DISPLAY=:97", "DALVON_UI=terminal"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_NE(outcome.out.find("Erweiterte Konfiguration Config - standalone\n"),
              std::string::npos);
    EXPECT_NE(outcome.out.find("[x] Sprung zu MaterialChange"), std::string::npos);
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(Program, EndOfInputLeavesEverythingButTheCancelLine) {
    std::string programIni = inst.readFile(kProgramIni);
    std::string configuration = inst.readFile(kConfigurationFile);
    Outcome outcome = run({}, "cancel\n");
    EXPECT_EQ(outcome.status, kExitCancelled);
    EXPECT_NE(outcome.out.find("Cancel?"), std::string::npos);
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog), kCancelLine);
    EXPECT_EQ(inst.readFile(kProgramIni), programIni);
    EXPECT_EQ(inst.readFile(kConfigurationFile), configuration);
}

TEST_F(Program, IntegratedCancelLogsToTheLogfile) {
    Outcome outcome = run({"/EXTERNAL=ZEBCFG", "/LOGFILE=D:\\Plant\\cfg.log"}, "cancel\nyes\n");
    EXPECT_EQ(outcome.status, kExitCancelled);
    EXPECT_NE(outcome.out.find("Erweiterte Konfiguration Config - integriert"), std::string::npos);
    EXPECT_NE(outcome.out.find("\"D:\\Plant\\Config\\Dalvon_Config.exe\""), std::string::npos);
    EXPECT_EQ(inst.readFile("D:\\Plant\\CFG.LOG"), kCancelLine);
}

TEST_F(Program, MissingConfigurationFileEndsWithTheErrorStatus) {
    fs::remove(inst.host(kConfigurationFile));
    Outcome outcome = run({});
    EXPECT_EQ(outcome.status, kExitError);
    EXPECT_NE(outcome.out.find("File not found"), std::string::npos);
}

TEST_F(Program, HelpAndVersionDoNothingElse) {
    Outcome help = run({"--help"}, "", {"DISPLAY=:97"});
    EXPECT_EQ(help.status, 0);
    for (const char* text : {"/EXTERNAL=ZEBCFG", "/EXTERNAL=SILENT", "/LOGFILE=", "DALVON_DRIVES",
                             "DALVON_UI", "XDG_DATA_HOME", "QT_QPA_PLATFORM"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "1.0.2\n");
    EXPECT_FALSE(inst.exists(kLanguageFile));
}

TEST_F(Program, MalformedDriveTableIsRefusedBeforeAnythingHappens) {
    Outcome outcome = run({"/EXTERNAL=SILENT"}, "", {"DALVON_DRIVES=nonsense"});
    EXPECT_EQ(outcome.status, kExitError);
    EXPECT_NE(outcome.err.find("DALVON_DRIVES"), std::string::npos);
    EXPECT_FALSE(inst.exists(kLanguageFile));
}

}  // namespace
}  // namespace dalvon::testing

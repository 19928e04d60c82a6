// Starting the built program where a user would: on a display that cannot be reached, with
// --installation, from outside any installation; and what the terminal window says.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/app/program_fixture.h"

namespace dalvon::testing {
namespace {

// No X server listens on this display number, and no Wayland socket of that name exists.
constexpr const char* kDeadDisplay = "DISPLAY=:97";

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(Program, UnreachableDisplayFallsBackToTheTerminalWithOneLine) {
    onTerminal = true;
    fs::path runtimeDir = inst.root() / "run";
    fs::create_directories(runtimeDir);
    const std::vector<std::vector<std::string>> environments = {
        {kDeadDisplay},
        {"WAYLAND_DISPLAY=wayland-9", "XDG_RUNTIME_DIR=" + runtimeDir.string()},
        {kDeadDisplay, "QT_QPA_PLATFORM=xcb"},
    };
    for (const auto& environment : environments) {
        Outcome outcome = run({}, "cancel\nyes\n", environment);
        EXPECT_EQ(outcome.status, kExitCancelled) << environment[0] << "\n" << outcome.err;
        EXPECT_EQ(countOf(outcome.err, "; using the terminal.\n"), 1u) << outcome.err;
        EXPECT_EQ(countOf(outcome.err, "cannot be reached"), 1u) << outcome.err;
        EXPECT_NE(outcome.err.find("Erweiterte Konfiguration Config - standalone"),
                  std::string::npos);
    }
}

TEST_F(Program, UnreachableDisplayWithoutTerminalEndsWithTheErrorStatus) {
    std::string configuration = inst.readFile(kConfigurationFile);
    Outcome outcome = run({}, "ok\n", {kDeadDisplay});
    EXPECT_EQ(outcome.status, kExitError);
    EXPECT_NE(outcome.err.find("cannot show the window: the display \":97\" cannot be reached"),
              std::string::npos)
        << outcome.err;
    EXPECT_FALSE(inst.exists(kLanguageFile));
    EXPECT_EQ(inst.readFile(kConfigurationFile), configuration);
}

TEST_F(Program, InstallationOptionWorksAsIfTheProgramLivedThere) {
    program = DALVON_PROGRAM;
    std::string plant = inst.host("D:\\Plant").string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--installation", plant, "/EXTERNAL=SILENT"},
          std::vector<std::string>{"/EXTERNAL=SILENT", "--installation=" + plant + "/"}}) {
        fs::remove(inst.host(kLanguageFile));
        Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
        EXPECT_EQ(entry("Language", "Language", kLanguageFile), "1031");
    }
    Outcome missing = run({"--installation", (inst.root() / "nowhere").string()});
    EXPECT_EQ(missing.status, kExitError);
    EXPECT_NE(missing.err.find("is not a folder"), std::string::npos);
    Outcome bare = run({"--installation"});
    EXPECT_EQ(bare.status, kExitError);
    EXPECT_NE(bare.err.find("--installation needs a folder"), std::string::npos);
}

TEST_F(Program, OutsideAnInstallationAHintFollowsTheMissingFileMessage) {
    fs::path folder = inst.root() / "build" / "app";
    fs::create_directories(folder);
    fs::create_symlink(DALVON_PROGRAM, folder / "Dalvon_Config");
    program = (folder / "Dalvon_Config").string();
    Outcome outcome = run({}, "\n", {"DALVON_UI=terminal"});
    EXPECT_EQ(outcome.status, kExitError);
    size_t message = outcome.err.find("File not found");
    size_t hint = outcome.err.find("Dalvon_Config --installation DIR");
    ASSERT_NE(message, std::string::npos) << outcome.err;
    ASSERT_NE(hint, std::string::npos) << outcome.err;
    EXPECT_LT(message, hint);
    EXPECT_EQ(countOf(outcome.err, "--installation"), 1u);

    // Inside an installation the same message comes without the hint.
    program.clear();
    fs::remove(inst.host(kConfigurationFile));
    Outcome inside = run({}, "\n", {"DALVON_UI=terminal"});
    EXPECT_EQ(inside.status, kExitError);
    EXPECT_EQ(inside.err.find("--installation"), std::string::npos);
}

TEST_P(ProgramOn, TerminalWindowTalksOnStandardErrorAndSumsUpTheUpdate) {
    Outcome outcome = run({}, "help\nok\n", {"DALVON_UI=terminal"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    for (const char* line :
         {"  ok      press OK", "  info    press the help button", "  help    show these commands"})
        EXPECT_NE(outcome.err.find(line), std::string::npos) << line;
    auto rows = inst.query(kComponentDatabase, "SELECT count(*) FROM PRESET_DEFS");
    EXPECT_NE(outcome.err.find("Working ...\nThe update finished: " + rows.at(0).at(0) +
                               " rows of PRESET_DEFS written, "),
              std::string::npos)
        << outcome.err;
}

// The text of `text` from `start` to the end of its line.
std::string restOfLine(const std::string& text, const std::string& start) {
    size_t at = text.find(start);
    if (at == std::string::npos)
        return "";
    at += start.size();
    return text.substr(at, text.find('\n', at) - at);
}

TEST_P(ProgramOn, TerminalWindowNamesTheBackupAndTheLimitsNotKept) {
    Outcome outcome = run({}, "ok\n", {"DALVON_UI=terminal"});
    ASSERT_EQ(outcome.status, kExitOk) << outcome.err;
    fs::path backups = inst.host("D:\\Plant\\Dalvon\\Backup");
    ASSERT_TRUE(fs::is_directory(backups));
    fs::path backup = fs::directory_iterator(backups)->path();
    EXPECT_EQ(restOfLine(outcome.err, "The previous component database is kept as "),
              backup.string() + ".");
    // The example's previous table has one row whose variable the source no longer defines;
    // its other rows are found, many under the names the update gives them (Rezept -> Recipe).
    EXPECT_EQ(restOfLine(outcome.err, "Limits: "),
              "36 of 37 previous rows kept theirs, 1 did not (no rebuilt row with the same key).");
    std::string command = restOfLine(outcome.err, "What the update changed: dalvon-db diff ");
    EXPECT_EQ(command, backup.string() + " " + inst.host(kComponentDatabase).string());

    // The command lists that row.
    fs::path listed = inst.root() / "diff.txt";
    int status = std::system(
        (std::string(DALVON_DB_TOOL) + " diff " + command + " > " + listed.string()).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(listed);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("In all: 1 not carried over, "), std::string::npos) << text;
}

TEST_P(ProgramOn, SilentStartSaysNothingMoreAfterTheUpdate) {
    Outcome outcome = run({"/EXTERNAL=SILENT"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_FALSE(inst.exists(TestInstallation::kServiceLog));
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));
}

}  // namespace
}  // namespace dalvon::testing

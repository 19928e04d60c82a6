// The built program, run through a link in a temp installation, as a caller would run it.
#include <gtest/gtest.h>

#include "tests/app/program_fixture.h"

namespace dalvon::testing {
namespace {

TEST_P(ProgramOn, SilentStartNeedsNoDisplayAndStoresEverything) {
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

TEST_P(ProgramOn, StandaloneThroughTheTerminalWindow) {
    Outcome outcome = run({}, "toggle\nok\n", {"DISPLAY=:97", "DALVON_UI=terminal"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("Erweiterte Konfiguration Config - standalone\n"),
              std::string::npos);
    EXPECT_NE(outcome.err.find("[x] Sprung zu MaterialChange"), std::string::npos);
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(Program, EndOfInputLeavesEverythingButTheCancelLine) {
    std::string programIni = inst.readFile(kProgramIni);
    std::string configuration = inst.readFile(kConfigurationFile);
    Outcome outcome = run({}, "cancel\n");
    EXPECT_EQ(outcome.status, kExitCancelled);
    EXPECT_NE(outcome.err.find("Cancel?"), std::string::npos);
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog), kCancelLine);
    EXPECT_EQ(inst.readFile(kProgramIni), programIni);
    EXPECT_EQ(inst.readFile(kConfigurationFile), configuration);
}

TEST_F(Program, IntegratedCancelLogsToTheLogfile) {
    Outcome outcome = run({"/EXTERNAL=ZEBCFG", "/LOGFILE=D:\\Plant\\cfg.log"}, "cancel\nyes\n");
    EXPECT_EQ(outcome.status, kExitCancelled);
    EXPECT_NE(outcome.err.find("Erweiterte Konfiguration Config - integriert"), std::string::npos);
    EXPECT_NE(outcome.err.find("\"D:\\Plant\\Config\\Dalvon_Config.exe\""), std::string::npos);
    EXPECT_EQ(inst.readFile("D:\\Plant\\CFG.LOG"), kCancelLine);
}

TEST_F(Program, MissingConfigurationFileEndsWithTheErrorStatus) {
    fs::remove(inst.host(kConfigurationFile));
    Outcome outcome = run({});
    EXPECT_EQ(outcome.status, kExitError);
    EXPECT_NE(outcome.err.find("File not found"), std::string::npos);
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

INSTANTIATE_TEST_SUITE_P(Formats, ProgramOn, ::testing::ValuesIn(kFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing

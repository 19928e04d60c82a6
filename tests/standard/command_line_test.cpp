// Options of the command line and the start mode they give.
#include <gtest/gtest.h>

#include "standard/command_line.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

TEST(ReadCommand, FindsKeysAnywhereAndCutsValuesAtTheNextSlash) {
    struct Row {
        const char* commandLine;
        const char* key;
        std::optional<std::string> value;
    };
    const Row rows[] = {
        {"/EXTERNAL=ZEBCFG /LOGFILE=D:\\Logs\\Cfg.txt", "LOGFILE", "D:\\LOGS\\CFG.TXT"},
        {"/external:silent", "EXTERNAL", "SILENT"},
        {"/EXTERNAL=ZEBCFG/LOGFILE=x", "EXTERNAL", "ZEBCFG"},
        {"/EXTERNAL=", "EXTERNAL", ""},
        {"", "EXTERNAL", std::nullopt},
        {"/EXTERNAL ZEBCFG", "EXTERNAL", "ZEBCFG"},
        {"/EXTERNAL==ZEBCFG", "EXTERNAL", "=ZEBCFG"},
        {"/EXTERNAL= ZEBCFG /LOGFILE=x", "EXTERNAL", "ZEBCFG"},
        {"/LOGFILE=D:\\EXTERNAL\\x.txt /EXTERNAL=ZEBCFG", "EXTERNAL", "X.TXT"},
        {"/LOGFILE=D:/logs/x.txt", "LOGFILE", "D:"},
        {"/EXTERNAL=zebcfg", "external", "ZEBCFG"},
    };
    TestInstallation inst;
    for (const Row& row : rows)
        EXPECT_EQ(ReadCommand(inst.rt(), row.commandLine, row.key), row.value) << row.commandLine;
    EXPECT_TRUE(inst.dialogs().shown().empty());

    // A key at the very end is an unexpected error: empty when resumed, the end otherwise.
    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_EQ(ReadCommand(inst.rt(), "/EXTERNAL", "EXTERNAL"), std::string());
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog).substr(0, 56),
              "Fehler in Dalvon / Dalvon_Config / ReadCommand (Nr. 5) :");
    inst.dialogs().queue(DialogAnswer::No);
    EXPECT_EQ(inst.runUntilEnd([&] { ReadCommand(inst.rt(), "x EXTERNAL", "EXTERNAL"); }), 1);
    EXPECT_EQ(inst.dialogs().shown().size(), 2u);
}

TEST(StartMode, FlagsInTheThreeModes) {
    struct Row {
        const char* commandLine;
        bool result, integrated, silent;
    };
    const Row rows[] = {{"", false, false, false},
                        {"/EXTERNAL=ZEBCFG /LOGFILE=D:\\x.log", true, true, false},
                        {"/EXTERNAL=SILENT", false, false, true},
                        {"/EXTERNAL=ZEBCFG", true, true, false},
                        {"/EXTERNAL=SILENT", false, false, true},  // clears the integrated start
                        {"/EXTERNAL=OTHER", false, false, false},
                        {"/EXTERNAL==ZEBCFG", false, false, false}};
    TestInstallation inst;
    for (const Row& row : rows) {
        inst.setCommandLine(row.commandLine);
        EXPECT_EQ(GetStartModeIntegrated(inst.rt()), row.result) << row.commandLine;
        EXPECT_EQ(inst.rt().StartModeIntegrated, row.integrated) << row.commandLine;
        EXPECT_EQ(inst.rt().StartModeSilent, row.silent) << row.commandLine;
    }
    inst.setCommandLine("/external=zebcfg /logfile=d:\\plant\\log.txt");
    EXPECT_EQ(GetPathLogfile(inst.rt()), "D:\\PLANT\\LOG.TXT");
}

}  // namespace
}  // namespace dalvon::testing

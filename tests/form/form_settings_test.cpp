// The option in the program profile and the edit stamp in the configuration file.
#include <gtest/gtest.h>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using FormSettings = FormTest;

TEST_F(FormSettings, OptionIsCheckedOnlyByTrueInAnyCase) {
    struct Row {
        const char* stored;  // nullptr: no entry
        int value;
    } rows[] = {{"TRUE", 1}, {"True", 1}, {"true", 1}, {"1", 0}, {"yes", 0}, {"", 0}, {nullptr, 0}};
    for (const Row& row : rows) {
        std::string ini = "[Project]\r\nNumberOfMachines=0\r\n";
        if (row.stored != nullptr)
            ini += std::string("DalvonJumpToMaterialChange=") + row.stored + "\r\n";
        inst.writeFile(kProgramIni, ini);
        frm_Dalvon_Config_Exe window(inst.rt());
        window.SetupUserInterFace();
        EXPECT_EQ(window.control("CheckJump").value, row.value)
            << (row.stored ? row.stored : "(no entry)");
    }
}

TEST_F(FormSettings, IntegratedStartReadsTheOptionFromTheMachineProfile) {
    setEntry("Project", "DalvonJumpToMaterialChange", "true",
             "D:\\Plant\\SaveRestore\\parameter\\program.ini");
    load("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log");
    EXPECT_EQ(form().control("CheckJump").value, 1);
    // Stored into the installation's own program profile.
    form().WriteInputs();
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
}

TEST_F(FormSettings, StoringWritesTrueOrFalseAndKeepsTheRestOfTheFile) {
    load();
    std::string before = inst.readFile(kProgramIni);
    form().WriteInputs();
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "false");
    form().operatorClicksCheckJump();
    form().WriteInputs();
    size_t at = before.find("DalvonJumpToMaterialChange=false");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(inst.readFile(kProgramIni),
              before.substr(0, at) + "DalvonJumpToMaterialChange=true" + before.substr(at + 32));
}

TEST_F(FormSettings, WithoutProgramProfileNothingIsStoredButTheStamp) {
    std::filesystem::remove(inst.host(kProgramIni));
    load();
    form().WriteInputs();
    EXPECT_FALSE(inst.exists(kProgramIni));
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
    EXPECT_TRUE(shown().empty());
}

TEST_F(FormSettings, ProgramStampInEachStartModeAndTheEditorCode) {
    inst.identity().setFirstEnvironmentEntry("NAME=a-b_c");
    struct Row {
        const char* commandLine;
        const char* stamp;
    } rows[] = {{"/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log", "1.0.2 - Integrated"},
                {"/EXTERNAL=SILENT", "1.0.2 - Standalone"}};
    for (const Row& row : rows) {
        inst.setCommandLine(row.commandLine);
        frm_Dalvon_Config_Exe window(inst.rt());
        EXPECT_EQ(run([&] {
                      window.Form_Load();
                      window.CommandOK_Click();
                  }),
                  kExitOk)
            << row.commandLine;
        EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), row.stamp) << row.commandLine;
    }
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(entry("Info", "S_Editor", kConfigurationFile), "666768");
    EXPECT_EQ(entry("Project", "ValidMachines", kConfigurationFile), "Press1,Winder");
}

}  // namespace
}  // namespace dalvon::testing

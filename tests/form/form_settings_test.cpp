// The option in the program profile and the edit stamp in the configuration file.
#include <gtest/gtest.h>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using FormSettings = FormTest;

TEST_F(FormSettings, OptionIsCheckedOnlyByTrueInAnyCase) {
    const std::pair<const char*, int> rows[] = {
        // nullptr: no entry
        {"TRUE", 1}, {"tRue", 1}, {"1", 0}, {"yes", 0}, {"", 0}, {nullptr, 0}};
    for (const auto& [stored, value] : rows) {
        std::string ini = "[Project]\r\nNumberOfMachines=0\r\n";
        if (stored != nullptr)
            ini += std::string("DalvonJumpToMaterialChange=") + stored + "\r\n";
        inst.writeFile(kProgramIni, ini);
        frm_Dalvon_Config_Exe window(inst.rt());
        window.SetupUserInterFace();
        EXPECT_EQ(window.control("CheckJump").value, value) << (stored ? stored : "(no entry)");
    }
}

TEST_F(FormSettings, StoringWritesTrueOrFalseAndKeepsTheRestOfTheFile) {
    load();
    std::string before = inst.readFile(kProgramIni);
    // Without a program profile there is nothing to store the option in; the stamp still goes.
    std::filesystem::remove(inst.host(kProgramIni));
    form().WriteInputs();
    EXPECT_FALSE(inst.exists(kProgramIni));
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");

    inst.writeFile(kProgramIni, before);
    form().WriteInputs();
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "false");
    form().operatorClicksCheckJump();
    form().WriteInputs();
    size_t at = before.find("DalvonJumpToMaterialChange=false");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(inst.readFile(kProgramIni),
              before.substr(0, at) + "DalvonJumpToMaterialChange=true" + before.substr(at + 32));
    EXPECT_TRUE(shown().empty());
}

TEST_F(FormSettings, IntegratedStartReadsTheOptionFromTheMachineProfileAndStampsItsMode) {
    inst.identity().setFirstEnvironmentEntry("NAME=a-b_c");
    setEntry("Project", "DalvonJumpToMaterialChange", "true",
             "D:\\Plant\\SaveRestore\\parameter\\program.ini");
    EXPECT_EQ(load("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"), -1);
    EXPECT_EQ(form().control("CheckJump").value, 1);
    EXPECT_EQ(inst.rt().ExistingMachines, (std::vector<std::string>{"", "Press1", "Winder"}));
    EXPECT_EQ(run([&] { form().CommandOK_Click(); }), kExitOk);
    // Stored into the installation's own program profile.
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Integrated");
    EXPECT_EQ(entry("Info", "S_Editor", kConfigurationFile), "666768");
    EXPECT_EQ(entry("Project", "ValidMachines", kConfigurationFile), "Press1,Winder");
    EXPECT_TRUE(shown().empty());
}

}  // namespace
}  // namespace dalvon::testing

// Where the installation's files are, and which machines it has.
#include <gtest/gtest.h>

#include "standard/installation_paths.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

using testing::TestInstallation;

const char* const kZeb = "D:\\Plant\\parameter\\zebconfiguration.ini";

TEST(InstallationPaths, ComposedFromTheBaseFolderAndComponent) {
    TestInstallation inst;
    Runtime& rt = inst.rt();
    EXPECT_EQ(GetPathOCXMDB(rt), "D:\\Plant\\Dalvon\\Dalvon.mdb");
    EXPECT_EQ(GetPathSourceOCXMDB(rt), "");  // missing files give the empty text
    EXPECT_EQ(GetZEBConfigurationIniPath(rt), "");
    inst.writeFile("D:\\Plant\\Dalvon\\Dalvon_Source.mdb", "x");
    inst.writeFile(kZeb, "");
    inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg", "[Project]\r\nValidMachines=A,B\r\n");
    EXPECT_EQ(GetPathSourceOCXMDB(rt), "D:\\Plant\\Dalvon\\Dalvon_Source.mdb");
    EXPECT_EQ(GetZEBConfigurationIniPath(rt), kZeb);
    EXPECT_EQ(GetCFGPath(rt), "D:\\Plant\\Dalvon\\Dalvon.cfg");
    EXPECT_EQ(GetValidMachines(rt), "A,B");
}

TEST(InstallationPaths, SaveAndRestoreWithAndWithoutTrailingBackslash) {
    for (const char* folder : {"D:\\Plant\\SaveRestore", "D:\\Plant\\SaveRestore\\"}) {
        TestInstallation inst;
        inst.writeFile(kZeb, std::string("[Common]\r\nSaveAndRestore=") + folder + "\r\n");
        inst.writeFile("D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb", "x");
        inst.writeFile("D:\\Plant\\SaveRestore\\parameter\\program.ini", "");
        inst.writeFile("D:\\Plant\\parameter\\Program.ini", "");
        inst.setCommandLine("/EXTERNAL=ZEBCFG");
        inst.prepareStart();
        Runtime& rt = inst.rt();
        EXPECT_EQ(GetPathMachineCopyMDB(rt, kZeb), "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb");
        EXPECT_EQ(GetProgramIniPath(rt, 1), "D:\\Plant\\SaveRestore\\parameter\\program.ini");
        EXPECT_EQ(GetProgramIniPath(rt, 2), "D:\\Plant\\parameter\\Program.ini");
    }
}

TEST(MachineList, IntegratedStartReadsNamesUpToTheFirstDash) {
    TestInstallation inst;
    inst.writeFile(kZeb,
                   "[Common]\r\nSaveAndRestore=D:\\Nowhere\r\nNameM1=A\r\nNameM2=B\r\nNameM3=-"
                   "\r\nNameM4=D\r\n");
    inst.setCommandLine("/EXTERNAL=ZEBCFG");
    inst.prepareStart();
    EXPECT_EQ(inst.rt().ExistingMachines, (std::vector<std::string>{"", "A", "B"}));
    EXPECT_EQ(inst.rt().ProgramIniPath, "");  // no program.ini below SaveAndRestore

    TestInstallation none;
    none.writeFile(kZeb, "[Common]\r\nNameM2=B\r\n");
    none.setCommandLine("/EXTERNAL=ZEBCFG");
    none.prepareStart();
    EXPECT_TRUE(none.rt().ExistingMachines.empty());
}

TEST(MachineList, StandaloneStartReadsTheProgramProfile) {
    struct Row {
        const char* profile;
        std::vector<std::string> machines;
    };
    const Row rows[] = {
        {"[Project]\r\nNumberOfMachines=3\r\n[Machine1]\r\nMachineName=M1\r\n[machine3]"
         "\r\nmachinename=M3\r\n",
         {"", "M1", "", "M3"}},
        {"[Project]\r\nNumberOfMachines=0\r\n", {}},
        {"[Project]\r\n", {}},
    };
    for (const Row& row : rows) {
        TestInstallation inst;
        inst.writeFile("D:\\Plant\\parameter\\Program.ini", row.profile);
        inst.prepareStart();
        EXPECT_EQ(inst.rt().ExistingMachines, row.machines) << row.profile;
        EXPECT_EQ(inst.rt().ProgramIniPath, "D:\\Plant\\parameter\\Program.ini");
    }
}

TEST(InstallationPaths, MissingConfigurationFileEndsTheProgramInEveryMode) {
    for (const char* commandLine :
         {"", "/EXTERNAL=ZEBCFG /LOGFILE=D:\\x.log", "/EXTERNAL=SILENT"}) {
        TestInstallation inst;
        inst.setCommandLine(commandLine);
        inst.prepareStart();
        EXPECT_EQ(inst.runUntilEnd([&] { GetValidMachines(inst.rt()); }), 1) << commandLine;
        std::string notice = "File not found: \n\rD:\\PLANT\\DALVON\\DALVON.CFG";
        if (inst.rt().StartModeSilent) {
            EXPECT_EQ(inst.readFile(TestInstallation::kServiceLog),
                      "! Fault Dalvon_Config: " + notice + "\r\n");
        } else {
            ASSERT_EQ(inst.dialogs().shown().size(), 1u);
            EXPECT_EQ(inst.dialogs().shown()[0].text, notice);
            EXPECT_EQ(inst.dialogs().shown()[0].title, "Dalvon_Config");
        }
    }
}

TEST(InstallationPaths, CopiedInstallationsFindFilesWhateverTheirCase) {
    TestInstallation inst;
    inst.writeFile("D:\\Plant\\PARAMETER\\program.INI",
                   "[project]\r\nnumberofmachines=1\r\n[MACHINE1]\r\nMachineName=X\r\n");
    inst.prepareStart();
    EXPECT_EQ(inst.rt().ExistingMachines, (std::vector<std::string>{"", "X"}));
}

}  // namespace
}  // namespace dalvon

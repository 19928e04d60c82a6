// Where the installation's files are, and which machines it has.
#include <gtest/gtest.h>

#include "standard/installation_paths.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

const char* const kZeb = "D:\\Plant\\parameter\\zebconfiguration.ini";
const char* const kProgramIni = "D:\\Plant\\parameter\\Program.ini";
using Names = std::vector<std::string>;

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
    EXPECT_EQ(GetValidMachines(rt), "A,B");
}

TEST(InstallationPaths, SaveAndRestoreWithAndWithoutTrailingBackslash) {
    for (const char* folder : {"D:\\Plant\\SaveRestore", "D:\\Plant\\SaveRestore\\"}) {
        TestInstallation inst;
        inst.writeFile(kZeb, std::string("[Common]\r\nSaveAndRestore=") + folder + "\r\n");
        inst.writeFile("D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb", "x");
        inst.writeFile("D:\\Plant\\SaveRestore\\parameter\\program.ini", "");
        inst.writeFile(kProgramIni, "");
        inst.start("/EXTERNAL=ZEBCFG");
        Runtime& rt = inst.rt();
        EXPECT_EQ(GetPathMachineCopyMDB(rt, kZeb), "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb");
        EXPECT_EQ(GetProgramIniPath(rt, 1), "D:\\Plant\\SaveRestore\\parameter\\program.ini");
        EXPECT_EQ(GetProgramIniPath(rt, 2), kProgramIni);
    }
}

TEST(MachineList, IntegratedStartReadsNamesUpToTheFirstDashStandaloneTheProgramProfile) {
    struct Row {
        const char* commandLine;
        const char* file;
        const char* profile;
        Names machines;
    };
    const Row rows[] = {
        {"/EXTERNAL=ZEBCFG",
         kZeb,
         "[Common]\r\nSaveAndRestore=D:\\Nowhere\r\nNameM1=A\r\nNameM2=B\r\nNameM3=-\r\nNameM4="
         "D\r\n",
         {"", "A", "B"}},
        {"/EXTERNAL=ZEBCFG", kZeb, "[Common]\r\nNameM2=B\r\n", {}},
        // Five machines at most: NameM5 is read, NameM6 is not.
        {"/EXTERNAL=ZEBCFG",
         kZeb,
         "[Common]\r\nNameM1=A\r\nNameM2=B\r\nNameM3=C\r\nNameM4=D\r\nNameM5=E\r\nNameM6=F\r\n",
         {"", "A", "B", "C", "D", "E"}},
        {"",
         kProgramIni,
         "[Project]\r\nNumberOfMachines=3\r\n[Machine1]\r\nMachineName=M1\r\n[machine3]\r\n"
         "machinename=M3\r\n",
         {"", "M1", "", "M3"}},
        {"", kProgramIni, "[Project]\r\nNumberOfMachines=0\r\n", {}},
        // A copied installation finds its files whatever their case.
        {"",
         "D:\\Plant\\PARAMETER\\program.INI",
         "[project]\r\nnumberofmachines=1\r\n[MACHINE1]\r\nMachineName=X\r\n",
         {"", "X"}},
    };
    for (const Row& row : rows) {
        TestInstallation inst;
        inst.writeFile(row.file, row.profile);
        inst.start(row.commandLine);
        EXPECT_EQ(inst.rt().ExistingMachines, row.machines) << row.profile;
        // No program.ini below SaveAndRestore in the integrated rows.
        EXPECT_EQ(inst.rt().ProgramIniPath, row.file == kZeb ? "" : kProgramIni);
    }
}

TEST(InstallationPaths, MissingConfigurationFileEndsTheProgramInEveryMode) {
    const std::string notice = "File not found: \n\rD:\\PLANT\\DALVON\\DALVON.CFG";
    // Silent start writes the notice to the service log instead (see the update driver test).
    for (const char* commandLine : {"", "/EXTERNAL=ZEBCFG /LOGFILE=D:\\x.log"}) {
        TestInstallation inst;
        inst.start(commandLine);
        EXPECT_EQ(inst.runUntilEnd([&] { GetValidMachines(inst.rt()); }), 1) << commandLine;
        ASSERT_EQ(inst.dialogs().shown().size(), 1u);
        EXPECT_EQ(inst.dialogs().shown()[0].text, notice);
        EXPECT_EQ(inst.dialogs().shown()[0].title, "Dalvon_Config");
    }
}

}  // namespace
}  // namespace dalvon::testing

// The update as a whole: machine copy, missing files, the final copy and the file times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "presetdb/work_on_mdb.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

using testing::Rows;
using testing::TestInstallation;

const char* const kSource = testing::kSourceDatabase;
const char* const kComponent = testing::kComponentDatabase;
const char* const kMachineCopy = "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb";

std::string minMax(TestInstallation& inst, const std::string& varName) {
    Rows rows =
        inst.query(kComponent, "SELECT min, max FROM PRESET_DEFS WHERE var_name='" + varName + "'");
    return rows.empty() ? "" : rows[0][0] + "/" + rows[0][1];
}

timespec modified(const std::filesystem::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mtim;
}

TEST(UpdateDriver, IntegratedStartTakesTheMachineCopyFirst) {
    TestInstallation inst;
    inst.makeExample();
    std::string machineCopy = inst.readFile(kMachineCopy);
    inst.setCommandLine("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log");
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    EXPECT_TRUE(inst.dialogs().shown().empty());
    EXPECT_EQ(minMax(inst, "Press1.Rezept.TempZone2"), "160.0/250.0");  // only the copy has it
    EXPECT_EQ(minMax(inst, "Press1.Rezept.TempZone1"), "170.0/245.0");
    EXPECT_EQ(inst.readFile(kMachineCopy), machineCopy);
}

TEST(UpdateDriver, IntegratedStartWithoutMachineCopySaysSoOnceAndGoesOn) {
    TestInstallation inst;
    inst.makeExample();
    std::filesystem::remove(inst.host(kMachineCopy));
    inst.setCommandLine("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log");
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    ASSERT_EQ(inst.dialogs().shown().size(), 1u);
    const MessageBox& box = inst.dialogs().shown()[0];
    EXPECT_EQ(box.text,
              "Konnte die Datei:\"Dalvon.mdb\" in der Vorlage nicht finden!\r\n\r\n"
              "Ist das Bild in der Vorlage noch nicht vorhanden (also neu)?\r\n"
              "Dann ist diese Meldung völlig normal und es wird eine neue Datei mit den "
              "Standardwerten erzeugt.");
    EXPECT_EQ(box.icon, DialogIcon::Information);
    EXPECT_EQ(box.title, "Dalvon_Config");
    EXPECT_EQ(minMax(inst, "Press1.Rezept.TempZone1"), "170.0/245.0");  // from the component
}

TEST(UpdateDriver, NoSourceDatabaseChangesNothing) {
    for (const char* commandLine : {"", "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"}) {
        TestInstallation inst;
        inst.makeExample();
        std::filesystem::remove(inst.host(kSource));
        std::string component = inst.readFile(kComponent);
        timespec before = modified(inst.host(kComponent));
        inst.setCommandLine(commandLine);
        inst.prepareStart();
        ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
        EXPECT_TRUE(inst.dialogs().shown().empty());
        EXPECT_EQ(inst.readFile(kComponent), component);
        EXPECT_EQ(modified(inst.host(kComponent)).tv_nsec, before.tv_nsec);
        EXPECT_FALSE(inst.exists(kSource));
    }
}

TEST(UpdateDriver, SourceKeepsItsFileTimesAndTheComponentIsReplaced) {
    TestInstallation inst;
    inst.makeExample();
    timespec old{1000000000, 123456700};  // 2001-09-09, a time the run cannot produce
    timespec times[2] = {old, old};
    utimensat(AT_FDCWD, inst.host(kSource).c_str(), times, 0);
    utimensat(AT_FDCWD, inst.host(kComponent).c_str(), times, 0);
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    timespec source = modified(inst.host(kSource));
    EXPECT_EQ(source.tv_sec, old.tv_sec);
    EXPECT_EQ(source.tv_nsec, old.tv_nsec);
    EXPECT_GT(modified(inst.host(kComponent)).tv_sec, old.tv_sec);
    // The component database is a byte copy of the source database.
    EXPECT_EQ(inst.readFile(kComponent), inst.readFile(kSource));
    EXPECT_FALSE(inst.exists("D:\\Plant\\Dalvon\\Dalvon.mdb-journal"));
}

TEST(UpdateDriver, FirstRunAndComponentWithoutPresetTable) {
    TestInstallation inst;
    inst.makeExample();
    inst.makeDatabase(kComponent, "CREATE TABLE preset_defs (ID LONG);");  // not the exact name
    inst.query(kSource, "SELECT 1");
    inst.setCommandLine("/EXTERNAL=SILENT");
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    EXPECT_EQ(inst.query(kComponent, "SELECT count(*) FROM PRESET_DEFS")[0][0], "35");
    EXPECT_EQ(minMax(inst, "Press1.Recipe.TempZone1"), "150.0/260.0");  // nothing taken over
}

TEST(UpdateDriver, MissingConfigurationFileEndsTheUpdateWithAnEmptyTable) {
    TestInstallation inst;
    inst.makeExample();
    std::filesystem::remove(inst.host("D:\\Plant\\Dalvon\\Dalvon.cfg"));
    std::string component = inst.readFile(kComponent);
    inst.setCommandLine("/EXTERNAL=SILENT");
    inst.prepareStart();
    EXPECT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), 1);
    EXPECT_EQ(inst.query(kSource, "SELECT count(*) FROM PRESET_DEFS")[0][0], "0");
    EXPECT_EQ(inst.readFile(TestInstallation::kServiceLog),
              "! Fault Dalvon_Config: File not found: \n\rD:\\PLANT\\DALVON\\DALVON.CFG\r\n");
}

}  // namespace
}  // namespace dalvon

// The update as a whole: machine copy, missing files, the final copy and the file times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/presetdb/example_plant.h"

namespace dalvon::testing {
namespace {

const char* const kIntegrated = "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log";
const char* const kMachineCopy = "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb";

std::string minMax(ExamplePlant& plant, const std::string& varName) {
    Rows rows = plant.query(kComponentDatabase,
                            "SELECT min, max FROM PRESET_DEFS WHERE var_name='" + varName + "'");
    return rows.empty() ? "" : rows[0][0] + "/" + rows[0][1];
}

timespec modified(const std::filesystem::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mtim;
}

using UpdateDriver = OnBothFormats;

TEST_P(UpdateDriver, IntegratedStartTakesTheMachineCopyFirstOrSaysItIsMissing) {
    ExamplePlant plant(GetParam());
    std::string machineCopy = plant.readFile(kMachineCopy);
    ASSERT_EQ(plant.runUpdate(kIntegrated), -1);
    EXPECT_TRUE(plant.dialogs().shown().empty());
    EXPECT_EQ(minMax(plant, "Press1.Rezept.TempZone2"), "160.0/250.0");  // only the copy has it
    EXPECT_EQ(minMax(plant, "Press1.Rezept.TempZone1"), "170.0/245.0");
    EXPECT_EQ(plant.readFile(kMachineCopy), machineCopy);

    ExamplePlant withoutCopy(GetParam());
    std::filesystem::remove(withoutCopy.host(kMachineCopy));
    ASSERT_EQ(withoutCopy.runUpdate(kIntegrated), -1);
    ASSERT_EQ(withoutCopy.dialogs().shown().size(), 1u);
    const MessageBox& box = withoutCopy.dialogs().shown()[0];
    EXPECT_EQ(box.text,
              "Konnte die Datei:\"Dalvon.mdb\" in der Vorlage nicht finden!\r\n\r\n"
              "Ist das Bild in der Vorlage noch nicht vorhanden (also neu)?\r\n"
              "Dann ist diese Meldung völlig normal und es wird eine neue Datei mit den "
              "Standardwerten erzeugt.");
    EXPECT_EQ(box.icon, DialogIcon::Information);
    EXPECT_EQ(box.title, "Dalvon_Config");
    EXPECT_EQ(minMax(withoutCopy, "Press1.Rezept.TempZone1"), "170.0/245.0");  // the component's
}

TEST_P(UpdateDriver, NoSourceDatabaseChangesNothing) {
    for (const char* commandLine : {"", kIntegrated}) {
        ExamplePlant plant(GetParam());
        std::filesystem::remove(plant.host(kSourceDatabase));
        std::string component = plant.readFile(kComponentDatabase);
        timespec before = modified(plant.host(kComponentDatabase));
        ASSERT_EQ(plant.runUpdate(commandLine), -1);
        EXPECT_TRUE(plant.dialogs().shown().empty());
        EXPECT_EQ(plant.readFile(kComponentDatabase), component);
        EXPECT_EQ(modified(plant.host(kComponentDatabase)).tv_nsec, before.tv_nsec);
        EXPECT_FALSE(plant.exists(kSourceDatabase));
    }
}

TEST_P(UpdateDriver, SourceKeepsItsFileTimesAndTheComponentIsReplaced) {
    ExamplePlant plant(GetParam());
    timespec old{1000000000, 123456700};  // 2001-09-09, a time the run cannot produce
    timespec times[2] = {old, old};
    utimensat(AT_FDCWD, plant.host(kSourceDatabase).c_str(), times, 0);
    utimensat(AT_FDCWD, plant.host(kComponentDatabase).c_str(), times, 0);
    ASSERT_EQ(plant.runUpdate(), -1);
    timespec source = modified(plant.host(kSourceDatabase));
    EXPECT_EQ(source.tv_sec, old.tv_sec);
    EXPECT_EQ(source.tv_nsec, old.tv_nsec);
    EXPECT_GT(modified(plant.host(kComponentDatabase)).tv_sec, old.tv_sec);
    // The component database is a byte copy of the source database.
    EXPECT_EQ(plant.readFile(kComponentDatabase), plant.readFile(kSourceDatabase));
    EXPECT_FALSE(plant.exists("D:\\Plant\\Dalvon\\Dalvon.mdb-journal"));
}

TEST(UpdateDriver, ComponentWithoutPresetTableTakesNothingOver) {
    ExamplePlant plant;
    plant.makeDatabase(kComponentDatabase, "CREATE TABLE preset_defs (ID LONG);");  // not exact
    ASSERT_EQ(plant.runUpdate("/EXTERNAL=SILENT"), -1);
    EXPECT_EQ(plant.presetRows("count(*)"), (Rows{{"35"}}));
    EXPECT_EQ(minMax(plant, "Press1.Recipe.TempZone1"), "150.0/260.0");
}

TEST(UpdateDriver, MissingConfigurationFileEndsTheUpdateWithAnEmptyTable) {
    ExamplePlant plant;
    std::filesystem::remove(plant.host("D:\\Plant\\Dalvon\\Dalvon.cfg"));
    EXPECT_EQ(plant.runUpdate("/EXTERNAL=SILENT"), 1);
    EXPECT_EQ(plant.presetRows("count(*)", kSourceDatabase), (Rows{{"0"}}));
    EXPECT_EQ(plant.readFile(TestInstallation::kServiceLog),
              "! Fault Dalvon_Config: File not found: \n\rD:\\PLANT\\DALVON\\DALVON.CFG\r\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, UpdateDriver, ::testing::ValuesIn(kBothFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing

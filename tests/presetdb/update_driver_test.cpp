// The update as a whole: machine copy, missing files, the final copy and the file times.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"

#include "tests/presetdb/example_plant.h"

namespace dalvon::testing {
namespace {

const char* const kIntegrated = "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log";
const char* const kMachineCopy = "D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb";

// "min/max" of the component database's row for `varName`; empty without one.
std::string minMax(ExamplePlant& plant, const std::string& varName) {
    StoredTable table = plant.table(kComponentDatabase, "PRESET_DEFS");
    auto column = [&](const char* name) {
        size_t i = 0;
        while (i < table.fields.size() && table.fields[i].name != name)
            ++i;
        return i;
    };
    for (const std::vector<Variant>& row : table.rows) {
        if (row.at(column("var_name")).toTextOrEmpty() == varName)
            return row.at(column("min")).toText() + "/" + row.at(column("max")).toText();
    }
    return "";
}

int64_t lastWrite(ExamplePlant& plant, const char* path) {
    return plant.rt().files.readTimes(path).value().lastWrite;
}

using UpdateDriver = OnBothFormats;

TEST_P(UpdateDriver, IntegratedStartTakesTheMachineCopyFirstOrSaysItIsMissing) {
    ExamplePlant plant(GetParam());
    std::string machineCopy = plant.readFile(kMachineCopy);
    ASSERT_EQ(plant.runUpdate(kIntegrated), -1);
    EXPECT_TRUE(plant.dialogs().shown().empty());
    EXPECT_EQ(minMax(plant, "Press1.Rezept.TempZone2"), "160/250");  // only the copy has it
    EXPECT_EQ(minMax(plant, "Press1.Rezept.TempZone1"), "170/245");
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
    EXPECT_EQ(minMax(withoutCopy, "Press1.Rezept.TempZone1"), "170/245");  // the component's
}

TEST_P(UpdateDriver, NoSourceDatabaseChangesNothing) {
    for (const char* commandLine : {"", kIntegrated}) {
        ExamplePlant plant(GetParam());
        std::filesystem::remove(plant.host(kSourceDatabase));
        std::string component = plant.readFile(kComponentDatabase);
        int64_t before = lastWrite(plant, kComponentDatabase);
        ASSERT_EQ(plant.runUpdate(commandLine), -1);
        EXPECT_TRUE(plant.dialogs().shown().empty());
        EXPECT_EQ(plant.readFile(kComponentDatabase), component);
        EXPECT_EQ(lastWrite(plant, kComponentDatabase), before);
        EXPECT_FALSE(plant.exists(kSourceDatabase));
    }
}

TEST_P(UpdateDriver, SourceKeepsItsFileTimesAndTheComponentIsReplaced) {
    ExamplePlant plant(GetParam());
    // 2001-09-09 01:46:40.1234567, a time the run cannot produce.
    const FileTimes old{126444736001234567, 126444736001234567, 126444736001234567};
    ASSERT_TRUE(plant.rt().files.writeTimes(kSourceDatabase, old));
    ASSERT_TRUE(plant.rt().files.writeTimes(kComponentDatabase, old));
    ASSERT_EQ(plant.runUpdate(), -1);
    EXPECT_EQ(lastWrite(plant, kSourceDatabase), old.lastWrite);
    EXPECT_GT(lastWrite(plant, kComponentDatabase), old.lastWrite);
    // The component database is a byte copy of the source database.
    EXPECT_EQ(plant.readFile(kComponentDatabase), plant.readFile(kSourceDatabase));
    EXPECT_FALSE(plant.exists("D:\\Plant\\Dalvon\\Dalvon.mdb-journal"));
}

TEST(UpdateDriver, ComponentWithoutPresetTableTakesNothingOver) {
    ExamplePlant plant;
    plant.makeDatabase(kComponentDatabase, "CREATE TABLE preset_defs (ID LONG);");  // not exact
    ASSERT_EQ(plant.runUpdate("/EXTERNAL=SILENT"), -1);
    EXPECT_EQ(plant.presetRows("count(*)"), (Rows{{"35"}}));
    EXPECT_EQ(minMax(plant, "Press1.Recipe.TempZone1"), "150/260");
}

TEST(UpdateDriver, MissingConfigurationFileEndsTheUpdateWithAnEmptyTable) {
    ExamplePlant plant;
    std::filesystem::remove(plant.host("D:\\Plant\\Dalvon\\Dalvon.cfg"));
    EXPECT_EQ(plant.runUpdate("/EXTERNAL=SILENT"), 1);
    EXPECT_EQ(plant.presetRows("count(*)", kSourceDatabase), (Rows{{"0"}}));
    EXPECT_EQ(plant.readFile(TestInstallation::kServiceLog),
              "! Fault Dalvon_Config: File not found: \n\rD:\\PLANT\\DALVON\\DALVON.CFG\r\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, UpdateDriver, ::testing::ValuesIn(kFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing

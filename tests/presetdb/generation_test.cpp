// Rebuilding PRESET_DEFS from Source_PRESET_DEFS: rows per machine, IDs, names from patterns.
#include <gtest/gtest.h>

#include "presetdb/record_generation.h"
#include "tests/presetdb/example_plant.h"

namespace dalvon::testing {
namespace {

using Row = std::vector<std::string>;
using Generation = OnBothFormats;

TEST_P(Generation, BuildsEveryValidMachineWithTheNamesOfTheStartMode) {
    ExamplePlant plant(GetParam());
    ASSERT_EQ(plant.runUpdate(), -1);
    EXPECT_TRUE(plant.dialogs().shown().empty());
    // Press1 (machine 1) gets all 20 definitions, Winder (machine 3) the 15 machine-specific
    // ones; Press2 is not valid. IDs run without gaps in generation order.
    Rows rows = plant.presetRows("ID, machine_type, var_name, text, page_name");
    ASSERT_EQ(rows.size(), 35u);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[0], (Row{"1", "0", "Global.RecipeNumber", "Recipe number", "Common"}));
    EXPECT_EQ(rows[5], (Row{"6", "1", "Press1.Recipe.TempZone1", "Temperature zone 1 (Press1)",
                            "Press1 Heating"}));
    EXPECT_EQ(rows[9][2], "Press1.Axis.Speed");
    EXPECT_EQ(rows[16][2], "Press1.Bits.Options");  // lower-case System values count too
    EXPECT_EQ(rows[20], (Row{"21", "1", "Winder.Recipe.TempZone1", "Temperature zone 1 (Winder)",
                             "Winder Heating"}));
    // The source and the component database hold the same rebuilt table.
    EXPECT_EQ(plant.presetRows("ID, var_name", kSourceDatabase), plant.presetRows("ID, var_name"));

    // Integrated start reads no VWStudio entry: the VisiWin32 names.
    ExamplePlant integrated(GetParam());
    ASSERT_EQ(integrated.runUpdate("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"), -1);
    rows = integrated.presetRows("var_name");
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[0][0], "Global_RecipeNumber");
    EXPECT_EQ(rows[5][0], "Press1.Rezept.TempZone1");
    EXPECT_EQ(rows[20][0], "Winder.Rezept.TempZone1");
}

TEST(Generation, CommonDefinitionsNeedMachineOne) {
    ExamplePlant plant;
    plant.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg",
                    "[Project]\r\nForMachine1=false\r\nForMachine2=TRUE\r\n"
                    "DataBaseAdditionalFields=unit,decimals\r\n");
    plant.runUpdate();
    Rows rows = plant.presetRows("ID, var_name");
    ASSERT_EQ(rows.size(), 15u);  // only Press2's machine-specific rows
    EXPECT_EQ(rows[0], (Row{"1", "Press2.Recipe.TempZone1"}));
}

TEST(Generation, ReplaceSearchItemReplacesTheFirstMatchIgnoringCase) {
    TestInstallation inst;
    Runtime& rt = inst.rt();
    EXPECT_EQ(ReplaceSearchItem(rt, "a.###MACHINE.b", "###machine", "M1"), "a.M1.b");
    EXPECT_EQ(ReplaceSearchItem(rt, "no marker", "###machine", "M1"), "no marker");
    EXPECT_EQ(ReplaceSearchItem(rt, "###machine###machine###machine", "###machine", "x"),
              "x###machine###machine");
    EXPECT_EQ(ReplaceSearchItem(rt, "Über ###Var_Name", "###var_name", "Ä"), "Über Ä");
}

TEST(Generation, PatternsAndPartsFromSourceDefs) {
    ExamplePlant plant;
    // Part 2 has no Studio pattern any more; part 4 has a later row that wins; a row with a Null
    // pattern makes both part-1 patterns the plain name.
    plant.makeDatabase(
        kSourceDatabase,
        "CREATE TABLE Source_DEFS (System VARCHAR(20), Var_Name VARCHAR(255), Part SHORT);"
        "INSERT INTO Source_DEFS VALUES ('VISIWINSTUDIO', 'first.###Var_Name', 4),"
        " ('visiwinstudio', 'M_###machine_###machine.###Var_Name', 4), ('VISIWINSTUDIO', NULL, 3);"
        "CREATE TABLE Source_PRESET_DEFS (ID LONG, machine_type VARCHAR(20), part SHORT,"
        " var_name VARCHAR(255), offset_or_bitno LONG, text VARCHAR(255));"
        "INSERT INTO Source_PRESET_DEFS VALUES (1, '0', 4, 'A', 0, '###machine/###machine'),"
        " (2, '0', 1, 'B', 0, NULL), (3, '0', 2, 'C', 0, ''), (4, '0', 4, NULL, 0, 'x'),"
        " (5, '0', 4, '', 0, 'x');");
    std::filesystem::remove(plant.host(kComponentDatabase));
    plant.runUpdate();
    EXPECT_EQ(plant.presetRows("var_name, text"), (Rows{{"M_Press1_Press1.A", "Press1/###machine"},
                                                        {"B", "NULL"},
                                                        {"", ""},
                                                        {"NULL", "x"},
                                                        {"M_Press1_Press1.", "x"}}));
}

TEST(Generation, PartAfterVarNameIsReportedAndLeavesTheNameNull) {
    ExamplePlant plant;
    plant.makeDatabase(
        kSourceDatabase,
        "CREATE TABLE Source_DEFS (System VARCHAR(20), Var_Name VARCHAR(255), Part SHORT);"
        "CREATE TABLE Source_PRESET_DEFS (ID LONG, machine_type VARCHAR(20),"
        " var_name VARCHAR(255), part SHORT);"
        "INSERT INTO Source_PRESET_DEFS VALUES (1, '0', 'A', 1);");
    std::filesystem::remove(plant.host(kComponentDatabase));
    plant.runUpdate("/EXTERNAL=SILENT");
    EXPECT_EQ(plant.presetRows("var_name, part"), (Rows{{"NULL", "1"}}));
    EXPECT_NE(plant.readFile(TestInstallation::kErrorLog)
                  .find("Fehler in Dalvon / Dalvon_Config / CreateRecordSets (Nr. 94) :"),
              std::string::npos);
}

TEST_P(Generation, CategorieIsRenamedInTheComponentDatabase) {
    ExamplePlant plant(GetParam());
    plant.makeDatabase(kComponentDatabase, "CREATE TABLE PRESET_DEFS (ID LONG, CateGorie LONG);");
    CategorieNachCategoryID(plant.rt());
    std::vector<FieldDef> fields = plant.table(kComponentDatabase, "PRESET_DEFS").fields;
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "ID");
    EXPECT_EQ(fields[1].name, "category_id");
    EXPECT_EQ(plant.jetProblems(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Formats, Generation, ::testing::ValuesIn(kFormats), FormatName());

TEST(Generation, JetFilesGetTheTablesSqliteFilesGet) {
    if (std::size(kFormats) < 2)
        GTEST_SKIP() << "this build makes Jet files only";
    for (const char* commandLine :
         {"", "/EXTERNAL=SILENT", "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"}) {
        SCOPED_TRACE(commandLine);
        ExamplePlant sqlite(DatabaseFormat::Sqlite), jet(DatabaseFormat::Jet4);
        ASSERT_EQ(sqlite.runUpdate(commandLine), -1);
        ASSERT_EQ(jet.runUpdate(commandLine), -1);
        for (const char* database : {kComponentDatabase, kSourceDatabase})
            EXPECT_EQ(jet.table(database, "PRESET_DEFS"), sqlite.table(database, "PRESET_DEFS"));
    }
}

}  // namespace
}  // namespace dalvon::testing

// Rebuilding PRESET_DEFS from Source_PRESET_DEFS: rows per machine, IDs, names from patterns.
#include <gtest/gtest.h>

#include "presetdb/record_generation.h"
#include "presetdb/work_on_mdb.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

using testing::Rows;
using testing::TestInstallation;

const char* const kSource = testing::kSourceDatabase;
const char* const kComponent = testing::kComponentDatabase;

Rows generated(TestInstallation& inst, const std::string& columns) {
    return inst.query(kComponent, "SELECT " + columns + " FROM PRESET_DEFS ORDER BY rowid");
}

TEST(Generation, StandaloneBuildsEveryValidMachineWithStudioNames) {
    TestInstallation inst;
    inst.makeExample();
    inst.prepareStart();
    EXPECT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    EXPECT_TRUE(inst.dialogs().shown().empty());

    // Press1 (machine 1) gets all 20 definitions, Winder (machine 3) the 15 machine-specific
    // ones; Press2 is not valid. IDs run without gaps in generation order.
    Rows rows = generated(inst, "ID, machine_type, var_name, text, page_name");
    ASSERT_EQ(rows.size(), 35u);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "0", "Global.RecipeNumber", "Recipe number",
                                                 "Common"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"6", "1", "Press1.Recipe.TempZone1",
                                                 "Temperature zone 1 (Press1)", "Press1 Heating"}));
    EXPECT_EQ(rows[9][2], "Press1.Axis.Speed");
    EXPECT_EQ(rows[16][2], "Press1.Bits.Options");  // lower-case System values count too
    EXPECT_EQ(rows[20],
              (std::vector<std::string>{"21", "1", "Winder.Recipe.TempZone1",
                                        "Temperature zone 1 (Winder)", "Winder Heating"}));
    // The source and the component database hold the same rebuilt table.
    EXPECT_EQ(inst.query(kSource, "SELECT ID, var_name FROM PRESET_DEFS ORDER BY rowid"),
              generated(inst, "ID, var_name"));
}

TEST(Generation, IntegratedStartUsesTheVisiWin32FormAndTheConfiguredNames) {
    TestInstallation inst;
    inst.makeExample();
    inst.setCommandLine("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log");
    inst.prepareStart();
    EXPECT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    Rows rows = generated(inst, "var_name");
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[0][0], "Global_RecipeNumber");  // VWStudio is not read in integrated start
    EXPECT_EQ(rows[5][0], "Press1.Rezept.TempZone1");
    EXPECT_EQ(rows[20][0], "Winder.Rezept.TempZone1");
}

TEST(Generation, CommonDefinitionsNeedMachineOne) {
    TestInstallation inst;
    inst.makeExample();
    inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg",
                   "[Project]\r\nForMachine1=false\r\nForMachine2=TRUE\r\n"
                   "DataBaseAdditionalFields=unit,decimals\r\n");
    inst.prepareStart();
    inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); });
    Rows rows = generated(inst, "ID, var_name");
    ASSERT_EQ(rows.size(), 15u);  // only Press2's machine-specific rows
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "Press2.Recipe.TempZone1"}));
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
    TestInstallation inst;
    inst.makeExample();
    // Part 2 has no Studio pattern any more; part 4 has a later row that wins; a row with a Null
    // pattern makes both part-1 patterns the plain name.
    inst.makeDatabase(
        kSource + std::string(),
        "CREATE TABLE Source_DEFS (System VARCHAR(20), Var_Name VARCHAR(255), Part SHORT);"
        "INSERT INTO Source_DEFS VALUES ('VISIWINSTUDIO', 'first.###Var_Name', 4);"
        "INSERT INTO Source_DEFS VALUES ('visiwinstudio', 'M_###machine_###machine.###Var_Name', "
        "4);"
        "INSERT INTO Source_DEFS VALUES ('VISIWINSTUDIO', NULL, 3);"
        "CREATE TABLE Source_PRESET_DEFS (ID LONG, machine_type VARCHAR(20), part SHORT,"
        " var_name VARCHAR(255), offset_or_bitno LONG, text VARCHAR(255));"
        "INSERT INTO Source_PRESET_DEFS VALUES (1, '0', 4, 'A', 0, '###machine/###machine');"
        "INSERT INTO Source_PRESET_DEFS VALUES (2, '0', 1, 'B', 0, NULL);"
        "INSERT INTO Source_PRESET_DEFS VALUES (3, '0', 2, 'C', 0, '');"
        "INSERT INTO Source_PRESET_DEFS VALUES (4, '0', 4, NULL, 0, 'x');"
        "INSERT INTO Source_PRESET_DEFS VALUES (5, '0', 4, '', 0, 'x');");
    std::filesystem::remove(inst.host(kComponent));
    inst.prepareStart();
    inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); });
    Rows rows = generated(inst, "var_name, text");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"M_Press1_Press1.A", "Press1/###machine"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"B", "NULL"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"", ""}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"NULL", "x"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"M_Press1_Press1.", "x"}));
}

TEST(Generation, PartAfterVarNameIsReportedAndLeavesTheNameNull) {
    TestInstallation inst;
    inst.makeExample();
    inst.makeDatabase(
        kSource + std::string(),
        "CREATE TABLE Source_DEFS (System VARCHAR(20), Var_Name VARCHAR(255), Part SHORT);"
        "CREATE TABLE Source_PRESET_DEFS (ID LONG, machine_type VARCHAR(20),"
        " var_name VARCHAR(255), part SHORT);"
        "INSERT INTO Source_PRESET_DEFS VALUES (1, '0', 'A', 1);");
    std::filesystem::remove(inst.host(kComponent));
    inst.setCommandLine("/EXTERNAL=SILENT");
    inst.prepareStart();
    inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); });
    EXPECT_EQ(generated(inst, "var_name, part"), (Rows{{"NULL", "1"}}));
    std::string log = inst.readFile(TestInstallation::kErrorLog);
    EXPECT_NE(log.find("Fehler in Dalvon / Dalvon_Config / CreateRecordSets (Nr. 94) :"),
              std::string::npos)
        << log;
}

TEST(Generation, CategorieIsRenamedInTheComponentDatabase) {
    TestInstallation inst;
    inst.makeExample();
    inst.makeDatabase(kComponent, "CREATE TABLE PRESET_DEFS (ID LONG, CateGorie LONG);");
    CategorieNachCategoryID(inst.rt());
    Rows columns = inst.query(kComponent, "SELECT name FROM pragma_table_info('PRESET_DEFS')");
    EXPECT_EQ(columns, (Rows{{"ID"}, {"category_id"}}));
}

}  // namespace
}  // namespace dalvon

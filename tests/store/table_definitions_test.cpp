#include <gtest/gtest.h>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

const char* const kAllJetTypes =
    "CREATE TABLE Source_PRESET_DEFS (ID LONG, machine_type VARCHAR(50), Flag BIT, Small BYTE, "
    "Part SHORT, Price CURRENCY, Ratio SINGLE, abs_min DOUBLE, Stamp DATETIME, "
    "var_name VARCHAR(255), Picture LONGBINARY, Notes LONGTEXT, Key GUID, Raw VARBINARY(16));"
    "CREATE INDEX source_id ON Source_PRESET_DEFS (ID);";

FieldDef def(const std::string& name, FieldType type, int32_t size) {
    return FieldDef{name, static_cast<int>(type), size};
}

using TableDefinitionsTest = StoreTest;

TEST_F(TableDefinitionsTest, JetTypesRoundTripTypeAndSize) {
    auto db = open(makeDatabase("source.db", kAllJetTypes));
    std::vector<FieldDef> expected = {
        def("ID", FieldType::Long, 4),
        def("machine_type", FieldType::Text, 50),
        def("Flag", FieldType::Boolean, 1),
        def("Small", FieldType::Byte, 1),
        def("Part", FieldType::Integer, 2),
        def("Price", FieldType::Currency, 8),
        def("Ratio", FieldType::Single, 4),
        def("abs_min", FieldType::Double, 8),
        def("Stamp", FieldType::Date, 8),
        def("var_name", FieldType::Text, 255),
        def("Picture", FieldType::LongBinary, 0),
        def("Notes", FieldType::Memo, 0),
        def("Key", FieldType::Guid, 16),
        def("Raw", FieldType::Binary, 16),
    };
    EXPECT_EQ(db->tableFields("Source_PRESET_DEFS"), expected);
}

TEST_F(TableDefinitionsTest, FieldListCopyReproducesNameTypeSizeAndNothingElse) {
    std::string file = makeDatabase("source.db", kAllJetTypes);
    {
        auto db = open(file);
        std::vector<FieldDef> source = db->tableFields("Source_PRESET_DEFS");
        db->createTable("PRESET_DEFS", source);
        EXPECT_EQ(db->tableFields("PRESET_DEFS"), source);
        db->close();
    }
    auto schema =
        rows(file, "SELECT type, name, sql FROM sqlite_master WHERE tbl_name = 'PRESET_DEFS'");
    ASSERT_EQ(schema.size(), 1u) << "no index, no key, no autoindex";
    EXPECT_EQ(schema[0][2],
              "CREATE TABLE \"PRESET_DEFS\" (\"ID\" LONG, \"machine_type\" VARCHAR(50), "
              "\"Flag\" BIT, \"Small\" BYTE, \"Part\" SHORT, \"Price\" CURRENCY, \"Ratio\" SINGLE, "
              "\"abs_min\" DOUBLE, \"Stamp\" DATETIME, \"var_name\" VARCHAR(255), "
              "\"Picture\" LONGBINARY, \"Notes\" LONGTEXT, \"Key\" GUID, \"Raw\" VARBINARY(16))");
}

TEST_F(TableDefinitionsTest, PlainSqliteTypesMapAsDocumented) {
    auto db = open(makeDatabase("plain.db",
                                "CREATE TABLE t (a INTEGER, b TEXT, c REAL, d BLOB, e, "
                                "f VARCHAR(300), g NUMERIC, h BOOLEAN, i CHAR(10), "
                                "j BIGINT, k DECIMAL(10,2), l DATE, m MEMO)"));
    std::vector<FieldDef> expected = {
        def("a", FieldType::Long, 4),   def("b", FieldType::Memo, 0),
        def("c", FieldType::Double, 8), def("d", FieldType::LongBinary, 0),
        def("e", FieldType::Memo, 0),   def("f", FieldType::Memo, 0),
        def("g", FieldType::Double, 8), def("h", FieldType::Boolean, 1),
        def("i", FieldType::Text, 10),  def("j", FieldType::Long, 4),
        def("k", FieldType::Double, 8), def("l", FieldType::Date, 8),
        def("m", FieldType::Memo, 0),
    };
    EXPECT_EQ(db->tableFields("t"), expected);
}

TEST_F(TableDefinitionsTest, TableNamesAreExactFieldNamesIgnoreCase) {
    auto db = open(makeDatabase("names.db",
                                "CREATE TABLE Source_DEFS (System VARCHAR(20));"
                                "CREATE TABLE PRESET_DEFS (ID LONG, var_name VARCHAR(20));"
                                "CREATE TABLE Zeta (a LONG);"));
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"Source_DEFS", "PRESET_DEFS", "Zeta"}));
    EXPECT_EQ(faultOf([&] { db->tableFields("preset_defs"); }), 3265);
    EXPECT_EQ(faultOf([&] { db->deleteTable("preset_defs"); }), 3265);
    EXPECT_EQ(faultOf([&] { db->createTable("preset_defs", {def("a", FieldType::Long, 4)}); }),
              3010);
    std::string description;
    EXPECT_EQ(faultOf([&] { db->openTable("Missing"); }, &description), 3078);
    EXPECT_NE(description.find("'Missing'"), std::string::npos);

    auto set = db->openTable("PRESET_DEFS");
    EXPECT_EQ(set->fieldIndex("VAR_NAME"), 1);
    EXPECT_EQ(faultOf([&] { set->fieldIndex("nope"); }, &description), 3265);
    EXPECT_NE(description.find("'nope'"), std::string::npos);

    db->deleteTable("PRESET_DEFS");
    db->createTable("PRESET_DEFS", {def("ID", FieldType::Long, 4)});
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"Source_DEFS", "Zeta", "PRESET_DEFS"}));
}

TEST_F(TableDefinitionsTest, RenameFieldMatchesTheOldNameWithoutRegardToCase) {
    std::string file = makeDatabase("rename.db",
                                    "CREATE TABLE PRESET_DEFS (ID LONG, CateGorie LONG);"
                                    "INSERT INTO PRESET_DEFS VALUES (1, 7);");
    {
        auto db = open(file);
        db->renameField("PRESET_DEFS", "categorie", "category_id");
        EXPECT_EQ(db->tableFields("PRESET_DEFS")[1], def("category_id", FieldType::Long, 4));
        EXPECT_EQ(faultOf([&] { db->renameField("PRESET_DEFS", "categorie", "x"); }), 3265);
        EXPECT_EQ(faultOf([&] { db->renameField("PRESET_DEFS", "ID", "CATEGORY_ID"); }), 3191);
        db->close();
    }
    EXPECT_EQ(rows(file, "SELECT category_id FROM PRESET_DEFS"),
              (std::vector<std::vector<std::string>>{{"7"}}));
}

TEST_F(TableDefinitionsTest, InvalidDefinitionsAreRefusedWithoutATable) {
    auto db = open(makeDatabase("bad.db", "CREATE TABLE t (a LONG)"));
    struct Row {
        std::vector<FieldDef> fields;
        int32_t fault;
        std::vector<IndexDef> indexes = {};
    };
    const std::vector<FieldDef> ab = {def("a", FieldType::Long, 4), def("b", FieldType::Long, 4)};
    const IndexDef key{"PrimaryKey", {{"a", true}}, true, true};
    const std::vector<Row> rows = {
        {{def("a", FieldType::Text, 0)}, 3259},
        {{def("a", FieldType::Text, 256)}, 3259},
        {{FieldDef{"a", 99, 0}}, 3259},
        {{def("a", FieldType::Long, 4), def("A", FieldType::Long, 4)}, 3191},
        {{def("", FieldType::Long, 4)}, 3125},
        {{}, 3264},
        {ab, 3265, {{"i", {{"c", true}}}}},
        {ab, 3265, {{"i", {}}}},
        {ab, 3125, {{"", {{"a", true}}}}},
        {ab, 3283, {key, {"Other", {{"b", true}}, true}}},
        {ab, 3284, {key, {"primarykey", {{"b", true}}}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(faultOf([&] { db->createTable("New", row.fields, row.indexes); }), row.fault);
    }
    EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"t"}));
    // Index fields are matched without regard to case and stored as the table names them; the
    // primary key comes first.
    db->createTable("New", ab, {{"ByB", {{"B", false}}}, {"PK", {{"A", true}}, true}});
    EXPECT_EQ(db->tableIndexes("New"),
              (std::vector<IndexDef>{{"PrimaryKey", {{"a", true}}, true, true},
                                     {"ByB", {{"b", false}}, false, false}}));
}

}  // namespace
}  // namespace dalvon::testing

#include <gtest/gtest.h>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* const kPresetDefs =
    "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(50), type LONG, "
    "var_name VARCHAR(255), category_id LONG, isBitArray BIT, offset_or_bitno LONG, "
    "text VARCHAR(255), page_name VARCHAR(255), abs_min DOUBLE, abs_max DOUBLE, min DOUBLE, "
    "max DOUBLE, pass LONG, part SHORT, extra VARCHAR(20));"
    "INSERT INTO PRESET_DEFS VALUES (3, '1', 0, 'v1', 1, 0, 3, 't', 'p', 0, 10, 1, 9, 5, 1, 'x');"
    "INSERT INTO PRESET_DEFS VALUES (1, '1', 0, 'v1', 1, 0, 4, 't', 'p', 0, 10, 1, 9, 5, 1, 'x');"
    "INSERT INTO PRESET_DEFS VALUES (2, '2', 0, 'V1', 1, 0, 3, 't', 'p', 0, 10, 1, 9, 5, 1, 'x');"
    "INSERT INTO PRESET_DEFS VALUES (4, '1', 0, 'name', 1, 0, 3, 't', 'p', 0, 10, 1, 9, 5, 1, "
    "'x');";

std::string takeoverQuery(const std::string& machine, const std::string& name,
                          const std::string& offset,
                          const std::string& extra = ", PRESET_DEFS.extra") {
    return "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type, "
           "PRESET_DEFS.var_name, PRESET_DEFS.category_id, PRESET_DEFS.isBitArray, "
           "PRESET_DEFS.offset_or_bitno, PRESET_DEFS.text, PRESET_DEFS.page_name, "
           "PRESET_DEFS.abs_min, PRESET_DEFS.abs_max, PRESET_DEFS.min, PRESET_DEFS.max, "
           "PRESET_DEFS.pass, PRESET_DEFS.part" +
           extra + " From PRESET_DEFS  WHERE (((PRESET_DEFS.machine_type)=\"" + machine +
           "\") AND ((PRESET_DEFS.var_name)=\"" + name +
           "\")  AND ((PRESET_DEFS.offset_or_bitno)=" + offset + "));";
}

std::vector<std::string> column(Recordset& set, const std::string& field) {
    std::vector<std::string> values;
    if (set.eof())
        return values;
    for (set.moveFirst(); !set.eof(); set.moveNext())
        values.push_back(set.value(field).toText());
    return values;
}

class QueriesTest : public StoreTest {
protected:
    QueriesTest() : m_file(makeDatabase("preset.db", kPresetDefs)), m_db(open(m_file)) {}
    std::string m_file;
    std::unique_ptr<Database> m_db;
};

TEST_F(QueriesTest, RunsTheQueriesOfTheUpdate) {
    auto source = m_db->openQuery("SELECT PRESET_DEFS.* From PRESET_DEFS ORDER BY PRESET_DEFS.ID");
    EXPECT_EQ(source->recordCount(), 4);
    EXPECT_EQ(source->fieldCount(), 16);
    EXPECT_EQ(column(*source, "ID"), (std::vector<std::string>{"1", "2", "3", "4"}));

    auto byName = m_db->openQuery(
        "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE (((PRESET_DEFS.Var_Name)=\"NAME\"))");
    EXPECT_EQ(column(*byName, "ID"), (std::vector<std::string>{"4"}));

    auto takeover = m_db->openQuery(takeoverQuery("1", "v1", "3"));
    EXPECT_EQ(takeover->recordCount(), 1);
    EXPECT_EQ(takeover->fieldCount(), 16);
    EXPECT_EQ(takeover->field(15).name, "extra");
    EXPECT_EQ(takeover->value("ID").toLong(), 3);

    // Text compares without regard to case, so "v1" also finds "V1"; in insertion order.
    auto anyMachine = m_db->openQuery("SELECT ID FROM PRESET_DEFS WHERE var_name = \"v1\"");
    EXPECT_EQ(column(*anyMachine, "ID"), (std::vector<std::string>{"3", "1", "2"}));
    EXPECT_EQ(m_db->openQuery(takeoverQuery("3", "v1", "3"))->recordCount(), 0);
}

TEST_F(QueriesTest, MalformedAndMismatchedQueriesFail) {
    struct Row {
        std::string sql;
        int32_t fault;
    };
    const std::vector<Row> rows = {
        {takeoverQuery("1", "v\"1", "3"), 3075},                  // a double quote inside a value
        {takeoverQuery("1", "v1", ""), 3075},                     // a Null offset
        {takeoverQuery("1", "v1", "3", ", PRESET_DEFS."), 3075},  // an empty additional field
        {takeoverQuery("1", "v1", "3", ", PRESET_DEFS.unit"), 3061},  // a field the table lacks
        {"SELECT * FROM PRESET_DEFS WHERE ID = \"3\"", 3464},         // text against a number
        {"SELECT * FROM PRESET_DEFS WHERE machine_type = 1", 3464},   // number against text
        {"SELECT * FROM PRESET_DEFS ORDER BY nothing", 3061},
        {"SELECT * FROM Missing", 3078},
    };
    for (const Row& row : rows) {
        std::string description;
        EXPECT_EQ(faultOf([&] { m_db->openQuery(row.sql); }, &description), row.fault) << row.sql;
        EXPECT_FALSE(description.empty());
    }
}

TEST_F(QueriesTest, EditsThroughAQueryChangeTheBaseTableRow) {
    auto match = m_db->openQuery(takeoverQuery("1", "v1", "3"));
    match->edit();
    match->setValue("abs_min", Variant::doubleValue(-5));
    match->setValue("MAX", Variant::longValue(99));
    match->setValue("pass", Variant::null());
    match->update();
    EXPECT_EQ(match->value("max").toDouble(), 99);
    m_db->close();

    EXPECT_EQ(rows(m_file, "SELECT rowid, ID, abs_min, max, pass FROM PRESET_DEFS"),
              (Rows{{"1", "3", "-5.0", "99.0", "NULL"},
                    {"2", "1", "0.0", "9.0", "5"},
                    {"3", "2", "0.0", "9.0", "5"},
                    {"4", "4", "0.0", "9.0", "5"}}));
}

TEST_F(QueriesTest, LookupsFollowRowsAddedAndChangedLater) {
    auto first = m_db->openQuery("SELECT * FROM PRESET_DEFS WHERE var_name = \"new\"");
    EXPECT_EQ(first->recordCount(), 0);

    auto table = m_db->openTable("PRESET_DEFS");
    table->addNew();
    table->setValue("ID", Variant::longValue(5));
    table->setValue("var_name", Variant::string("new"));
    table->update();
    auto renamed = m_db->openQuery("SELECT * FROM PRESET_DEFS WHERE var_name = \"name\"");
    renamed->edit();
    renamed->setValue("var_name", Variant::string("new"));
    renamed->update();

    auto found = m_db->openQuery("SELECT ID FROM PRESET_DEFS WHERE var_name = \"NEW\"");
    EXPECT_EQ(column(*found, "ID"), (std::vector<std::string>{"4", "5"}));
    EXPECT_EQ(
        m_db->openQuery("SELECT ID FROM PRESET_DEFS WHERE var_name = \"name\"")->recordCount(), 0);
    m_db->close();
    // The lookups lived in the connection only: the file has just its one table.
    EXPECT_EQ(rows(m_file, "SELECT name FROM sqlite_master"), (Rows{{"PRESET_DEFS"}}));
}

TEST_F(QueriesTest, AHostileValueIsOnlyEverAValue) {
    auto none = m_db->openQuery(
        "SELECT * FROM PRESET_DEFS WHERE var_name = \"x') OR 1=1; DROP TABLE PRESET_DEFS; --\"");
    EXPECT_EQ(none->recordCount(), 0);
    EXPECT_EQ(m_db->openTable("PRESET_DEFS")->recordCount(), 4);
}

TEST_F(QueriesTest, NavigationAndEditingFollowTheClassicRules) {
    auto empty = m_db->openQuery("SELECT * FROM PRESET_DEFS WHERE ID = 42");
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);
    EXPECT_EQ(faultOf([&] { empty->moveFirst(); }), 3021);
    EXPECT_EQ(faultOf([&] { empty->moveLast(); }), 3021);
    EXPECT_EQ(faultOf([&] { empty->value(0); }), 3021);
    EXPECT_EQ(faultOf([&] { empty->edit(); }), 3021);

    auto set = m_db->openTable("PRESET_DEFS");
    EXPECT_EQ(faultOf([&] { set->update(); }), 3020);
    EXPECT_EQ(faultOf([&] { set->setValue("ID", Variant::longValue(1)); }), 3020);
    EXPECT_EQ(faultOf([&] { set->value(16); }), 3265);
    set->moveLast();
    EXPECT_EQ(set->value("ID").toLong(), 4);
    set->moveNext();
    EXPECT_TRUE(set->eof());
    EXPECT_EQ(faultOf([&] { set->moveNext(); }), 3021);

    set->moveFirst();
    set->addNew();
    set->setValue("part", Variant::string("7"));
    EXPECT_EQ(set->value("part"), Variant::integer(7));  // the new row's value, before update
    EXPECT_TRUE(set->value("ID").isNull());
    set->update();
    EXPECT_EQ(set->value("ID").toLong(), 3) << "the current row stays where it was";
    EXPECT_EQ(set->recordCount(), 5);
    set->close();
    EXPECT_EQ(faultOf([&] { set->moveFirst(); }), 3420);
}

}  // namespace
}  // namespace dalvon::testing

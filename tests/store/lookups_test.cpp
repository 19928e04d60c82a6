#include <gtest/gtest.h>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Ids = std::vector<std::string>;

const char* const kDefs =
    "CREATE TABLE DEFS (ID LONG, machine VARCHAR(20), name VARCHAR(50), offset LONG, "
    "limit_value DOUBLE, untyped);"
    "INSERT INTO DEFS VALUES (1, '1', 'Zone', 3, 0.5, 7);"
    "INSERT INTO DEFS VALUES (2, '1', 'ZONE', 4, 2, 'seven');"
    "INSERT INTO DEFS VALUES (3, '2', 'Größe', 3, 2.0, 7.0);"
    "INSERT INTO DEFS VALUES (4, '1', NULL, 3, NULL, NULL);"
    "INSERT INTO DEFS VALUES (5, '1', '', 3, -3, -3);";

class LookupsTest : public StoreTest {
protected:
    LookupsTest() : m_file(makeDatabase("defs.db", kDefs)), m_db(open(m_file)) {}

    // The first field of every row.
    static Ids ids(Recordset& set) {
        Ids found;
        for (const auto& row : readAll(set))
            found.push_back(row.at(0));
        return found;
    }

    Ids where(const std::string& condition, const std::string& order = "") {
        return ids(*m_db->openQuery("SELECT ID FROM DEFS WHERE " + condition + order));
    }

    std::string m_file;
    std::unique_ptr<Database> m_db;
};

TEST_F(LookupsTest, LookupsCompareAsAWhereClauseDoes) {
    EXPECT_EQ(where("name = \"zone\""), (Ids{"1", "2"}));
    EXPECT_EQ(where("name = \"GRÖSSE\""), Ids{}) << "ß has no one-letter upper case";
    EXPECT_EQ(where("name = \"GRÖßE\""), (Ids{"3"}));
    EXPECT_EQ(where("name = \"\""), (Ids{"5"})) << "an empty text is not Null";
    EXPECT_EQ(where("limit_value = 2"), (Ids{"2", "3"})) << "whole and fractional by value";
    EXPECT_EQ(where("limit_value = .5"), (Ids{"1"}));
    EXPECT_EQ(where("limit_value = -3"), (Ids{"5"}));
    EXPECT_EQ(where("untyped = 7"), (Ids{"1", "3"}));
    EXPECT_EQ(where("untyped = \"SEVEN\""), (Ids{"2"}));
    EXPECT_EQ(where("offset = 3 AND machine = \"1\""), (Ids{"1", "4", "5"}));
    EXPECT_EQ(where("offset = 3 AND offset = 3.0"), (Ids{"1", "3", "4", "5"}));
    EXPECT_EQ(where("offset = 3 AND offset = 4"), Ids{});
    // A sorted selection is read by SQLite itself and must agree.
    EXPECT_EQ(where("offset = 3 AND machine = \"1\"", " ORDER BY ID DESC"), (Ids{"5", "4", "1"}));
    EXPECT_EQ(where("name = \"zone\"", " ORDER BY offset DESC"), (Ids{"2", "1"}));
}

TEST_F(LookupsTest, QueriesOfOneShapeDifferOnlyInTheirLiterals) {
    // The first of each pair plans the shape; the second reuses the plan.
    EXPECT_EQ(where("limit_value = 3"), Ids{});
    EXPECT_EQ(where("limit_value = -3"), (Ids{"5"}));
    EXPECT_EQ(where("(name) = (\"zone\")"), (Ids{"1", "2"}));
    EXPECT_EQ(where("(name) = (\"Größe\")"), (Ids{"3"}));
    EXPECT_EQ(where("\"zone\" = name AND 4 = offset"), (Ids{"2"}));
    EXPECT_EQ(where("\"zone\" = name AND 3 = offset"), (Ids{"1"}));
    // The same place holding a number, then a text, are two shapes: the text is refused.
    EXPECT_EQ(where("offset = 4"), (Ids{"2"}));
    EXPECT_EQ(faultOf([&] { where("offset = \"4\""); }), 3464);
    EXPECT_EQ(where("name = \"a' OR 1=1; --\""), Ids{});
}

TEST_F(LookupsTest, WritesKeepLookupsCurrent) {
    EXPECT_EQ(where("name = \"zone\" AND offset = 3"), (Ids{"1"}));
    auto row = m_db->openQuery("SELECT * FROM DEFS WHERE ID = 1");
    row->edit();
    row->setValue("offset", Variant::longValue(4));
    row->update();
    EXPECT_EQ(where("name = \"zone\" AND offset = 3"), Ids{});
    EXPECT_EQ(where("name = \"zone\" AND offset = 4"), (Ids{"1", "2"}));

    // The first match takes the name as given; it is found as before.
    auto same = m_db->openQuery("SELECT * FROM DEFS WHERE name = \"ZONE\"");
    same->edit();
    same->setValue("name", Variant::string("ZONE"));
    same->update();
    EXPECT_EQ(where("name = \"zone\""), (Ids{"1", "2"}));

    // A key given a Null leaves every lookup; given a value again, it returns.
    auto nulled = m_db->openQuery("SELECT * FROM DEFS WHERE ID = 2");
    nulled->edit();
    nulled->setValue("name", Variant::null());
    nulled->update();
    EXPECT_EQ(where("name = \"zone\""), (Ids{"1"}));
    nulled->edit();
    nulled->setValue("name", Variant::string("zone"));
    nulled->update();
    EXPECT_EQ(where("name = \"ZONE\""), (Ids{"1", "2"}));
    m_db->close();
    EXPECT_EQ(rows(m_file, "SELECT ID, name, offset FROM DEFS WHERE ID <= 2"),
              (Rows{{"1", "ZONE", "4"}, {"2", "zone", "4"}}));
}

TEST_F(LookupsTest, RowsAddedToANewTableAreWrittenBeforeAnythingReadsThem) {
    m_db->createTable("NEW", {{"ID", static_cast<int>(FieldType::Long), 4},
                              {"name", static_cast<int>(FieldType::Text), 20},
                              {"value", static_cast<int>(FieldType::Double), 8},
                              {"flag", static_cast<int>(FieldType::Boolean), 1}});
    auto table = m_db->openTable("NEW");
    for (int i = 1; i <= 5; ++i) {
        table->addNew();
        table->setValue("ID", Variant::longValue(i));
        table->setValue("name", Variant::string(i % 2 ? "ödd 'quoted'" : "even"));
        if (i != 3)
            table->setValue("value", Variant::doubleValue(i / 4.0));
        table->setValue("flag", Variant::boolean(i > 2));
        table->update();
    }
    auto find = [&](const std::string& condition) {
        return ids(*m_db->openQuery("SELECT ID FROM NEW WHERE " + condition));
    };
    EXPECT_EQ(find("name = \"ÖDD 'QUOTED'\""), (Ids{"1", "3", "5"}));
    EXPECT_EQ(find("name = \"even\""), (Ids{"2", "4"}));
    auto second = m_db->openQuery("SELECT * FROM NEW WHERE name = \"even\" AND ID = 2");
    second->edit();
    second->setValue("name", Variant::string("changed"));
    second->setValue("value", Variant::doubleValue(9));
    second->update();
    EXPECT_EQ(find("name = \"even\""), (Ids{"4"}));
    EXPECT_EQ(find("name = \"CHANGED\""), (Ids{"2"}));

    // Another handle on the file reads what this one added, in order.
    auto other = open(m_file);
    EXPECT_EQ(readAll(*other->openTable("NEW")), (Rows{{"1", "ödd 'quoted'", "0.25", "False"},
                                                       {"2", "changed", "9", "False"},
                                                       {"3", "ödd 'quoted'", "Null", "True"},
                                                       {"4", "even", "1", "True"},
                                                       {"5", "ödd 'quoted'", "1.25", "True"}}));
    table->addNew();
    table->setValue("ID", Variant::longValue(6));
    table->update();
    other->close();
    m_db->close();
    EXPECT_EQ(rows(m_file, "SELECT rowid, ID, name, value, flag FROM NEW"),
              (Rows{{"1", "1", "ödd 'quoted'", "0.25", "0"},
                    {"2", "2", "changed", "9.0", "0"},
                    {"3", "3", "ödd 'quoted'", "NULL", "1"},
                    {"4", "4", "even", "1.0", "1"},
                    {"5", "5", "ödd 'quoted'", "1.25", "1"},
                    {"6", "6", "NULL", "NULL", "NULL"}}));
}

}  // namespace
}  // namespace dalvon::testing

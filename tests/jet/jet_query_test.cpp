// The SQL subset on Jet tables: filtering, ordering and the select list, done in memory.
#include <gtest/gtest.h>

#include "platform/fault.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

// The rows of a query as text, one "a|b|c" per row, with the field names first.
std::vector<std::string> queryRows(Database& db, const std::string& sql) {
    auto rs = db.openQuery(sql);
    std::vector<std::string> lines;
    std::string names;
    for (int i = 0; i < rs->fieldCount(); ++i)
        names += (i ? "|" : "") + rs->field(i).name;
    lines.push_back(names);
    for (; !rs->eof(); rs->moveNext()) {
        std::string line;
        for (int i = 0; i < rs->fieldCount(); ++i)
            line += (i ? "|" : "") + rs->value(i).toTextOrEmpty();
        lines.push_back(line);
    }
    return lines;
}

TEST(JetQuery, FiltersOrdersAndSelectsFields) {
    auto db = openJet(sample("indexTestV2000.mdb"));
    struct Case {
        std::string sql;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"SELECT * FROM Table2", {"id|data", "0|foo0", "1|foo1", "2|foo2"}},
        {"SELECT Table1.* FROM Table1 WHERE otherfk1 = 1",
         {"id|otherfk1|otherfk2|data|otherfk3", "1|1|11|baz11|0", "2|1|11|baz11-2|0"}},
        {"SELECT data, ID FROM Table1 WHERE (otherfk1 = 1) AND otherfk2 = 11 ORDER BY id DESC",
         {"data|id", "baz11-2|2", "baz11|1"}},
        {"select id from Table1 where DATA = \"BAZ13\";", {"id", "3"}},
        {"SELECT id FROM Table1 WHERE otherfk1 = 9", {"id"}},
        {"SELECT id, otherfk2 FROM Table1 ORDER BY otherfk2 DESC, id",
         {"id|otherfk2", "3|13", "1|11", "2|11", "0|10"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(queryRows(*db, c.sql), c.rows) << c.sql;
    }
}

TEST(JetQuery, FaultsNameTheProblem) {
    auto db = openJet(sample("indexTestV2000.mdb"));
    const std::vector<std::pair<std::string, int>> cases = {
        {"SELECT * FROM Nowhere", 3078},
        {"SELECT nothing FROM Table1", 3061},
        {"SELECT * FROM Table1 WHERE data = 5", 3464},
        {"SELECT * FROM Table1 WHERE id = \"x\"", 3464},
        {"SELECT * FROM Table1 ORDER BY nothing", 3061},
        {"SELECT * Table1", 3131},
    };
    for (const auto& [sql, number] : cases) {
        try {
            db->openQuery(sql);
            ADD_FAILURE() << "no fault for " << sql;
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.number(), number) << sql << ": " << fault.description();
        }
    }
}

TEST(JetQuery, ManyRowsSortedAndCounted) {
    auto db = openJet(sample("compIndexTestV2000.mdb"));
    auto rs = db->openQuery("SELECT CD_AGENTE FROM Table1 ORDER BY CD_AGENTE DESC");
    EXPECT_EQ(rs->recordCount(), 512);
    int32_t previous = INT32_MAX;
    for (; !rs->eof(); rs->moveNext()) {
        // Null sorts first, so it comes last in descending order.
        const int32_t value = rs->value(0).isNull() ? INT32_MIN : rs->value(0).toLong();
        EXPECT_LE(value, previous);
        previous = value;
    }
}

}  // namespace
}  // namespace dalvon::jet_test

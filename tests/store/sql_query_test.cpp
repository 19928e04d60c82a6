#include "store/sql/sql_query.h"
#include "store/sql/sql_tokens.h"

#include <gtest/gtest.h>

#include "tests/store/store_fixture.h"

namespace dalvon::sql {
namespace {

using dalvon::testing::faultOf;

const char* const kSourceQuery =
    "SELECT Source_PRESET_DEFS.* From Source_PRESET_DEFS ORDER BY Source_PRESET_DEFS.ID";
const char* const kNameQuery =
    "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE (((PRESET_DEFS.Var_Name)=\"name\"))";
const char* const kTakeoverQuery =
    "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type, PRESET_DEFS.var_name, "
    "PRESET_DEFS.category_id, PRESET_DEFS.isBitArray, PRESET_DEFS.offset_or_bitno, "
    "PRESET_DEFS.text, PRESET_DEFS.page_name, PRESET_DEFS.abs_min, PRESET_DEFS.abs_max, "
    "PRESET_DEFS.min, PRESET_DEFS.max, PRESET_DEFS.pass, PRESET_DEFS.part, PRESET_DEFS.extra "
    "From PRESET_DEFS  WHERE (((PRESET_DEFS.machine_type)=\"1\") AND "
    "((PRESET_DEFS.var_name)=\"v1\")  AND ((PRESET_DEFS.offset_or_bitno)=3));";

Literal text(const std::string& value) {
    return Literal{Literal::Kind::Text, value, 0};
}
Literal number(const std::string& written, double value) {
    return Literal{Literal::Kind::Number, written, value};
}

TEST(SqlQueryTest, ParsesTheQueriesOfTheUpdate) {
    Query source = parse(kSourceQuery);
    EXPECT_TRUE(source.selectAll);
    EXPECT_EQ(source.selectAllTable, "Source_PRESET_DEFS");
    EXPECT_EQ(source.table, "Source_PRESET_DEFS");
    EXPECT_TRUE(source.where.empty());
    ASSERT_EQ(source.orderBy.size(), 1u);
    EXPECT_EQ(source.orderBy[0], (OrderKey{{"Source_PRESET_DEFS", "ID"}, false}));

    Query byName = parse(kNameQuery);
    EXPECT_EQ(byName.table, "PRESET_DEFS");
    ASSERT_EQ(byName.where.size(), 1u);
    EXPECT_EQ(byName.where[0], (Condition{{"PRESET_DEFS", "Var_Name"}, text("name")}));

    Query takeover = parse(kTakeoverQuery);
    EXPECT_FALSE(takeover.selectAll);
    ASSERT_EQ(takeover.fields.size(), 16u);
    EXPECT_EQ(takeover.fields[11], (FieldRef{"PRESET_DEFS", "min"}));
    EXPECT_EQ(takeover.fields[15], (FieldRef{"PRESET_DEFS", "extra"}));
    ASSERT_EQ(takeover.where.size(), 3u);
    EXPECT_EQ(takeover.where[0], (Condition{{"PRESET_DEFS", "machine_type"}, text("1")}));
    EXPECT_EQ(takeover.where[1], (Condition{{"PRESET_DEFS", "var_name"}, text("v1")}));
    EXPECT_EQ(takeover.where[2], (Condition{{"PRESET_DEFS", "offset_or_bitno"}, number("3", 3)}));
}

TEST(SqlQueryTest, AcceptsTheRestOfTheSubset) {
    Query all = parse("select * from T");
    EXPECT_TRUE(all.selectAll);
    EXPECT_TRUE(all.selectAllTable.empty());

    Query query = parse(
        "SELECT a, T.[my field] FROM [T] WHERE (\"x y\" = T.a) AND b = -2.5e1 AND ((c)=(\"\")) "
        "ORDER BY a DESC, b ASC ;");
    EXPECT_EQ(query.fields, (std::vector<FieldRef>{{"", "a"}, {"T", "my field"}}));
    EXPECT_EQ(query.where, (std::vector<Condition>{{{"T", "a"}, text("x y")},
                                                   {{"", "b"}, number("-2.5e1", -25)},
                                                   {{"", "c"}, text("")}}));
    EXPECT_EQ(query.orderBy, (std::vector<OrderKey>{{{"", "a"}, true}, {{"", "b"}, false}}));

    // A text literal ends at the next double quote: a single quote is part of it.
    EXPECT_EQ(parse("SELECT * FROM T WHERE a=\"it's\"").where[0].value, text("it's"));
}

TEST(SqlQueryTest, RejectsWhatTheSubsetDoesNotHold) {
    struct Row {
        std::string sql;
        int32_t fault;
    };
    const std::vector<Row> rows = {
        // A double quote inside a value cuts the literal short.
        {"SELECT PRESET_DEFS.* From PRESET_DEFS WHERE (((PRESET_DEFS.Var_Name)=\"a\"b\"))", 3075},
        // A Null offset leaves the number out.
        {"SELECT PRESET_DEFS.ID From PRESET_DEFS  WHERE (((PRESET_DEFS.machine_type)=\"1\") AND "
         "((PRESET_DEFS.offset_or_bitno)=));",
         3075},
        // An empty additional field name leaves "PRESET_DEFS." before From.
        {"SELECT PRESET_DEFS.ID, PRESET_DEFS. From PRESET_DEFS", 3075},
        {"SELECT PRESET_DEFS.ID, From PRESET_DEFS", 3075},
        {"SELECT * FROM T WHERE a = 1 OR b = 2", 3075},
        {"SELECT * FROM T WHERE a < 1", 3075},
        {"SELECT * FROM T WHERE a = b", 3075},
        {"SELECT * FROM T WHERE a", 3075},
        {"SELECT * FROM T WHERE (a = \"x\"", 3075},
        {"SELECT * FROM T WHERE a = \"x", 3075},
        {"SELECT PRE_DEFS.* FROM []", 3075},  // found by the parser's fuzz target
        // Found by the fuzz target too: nesting deep enough to exhaust the stack.
        {"SELECT * FROM T WHERE " + std::string(100000, '('), 3075},
        {"SELECT * FROM T WHERE a = 1 ORDER a", 3075},
        {"SELECT * FROM T WHERE a = 1;;", 3075},
        {"UPDATE T SET a = 1", 3075},
        {"", 3075},
        {"SELECT * PRESET_DEFS", 3131},
        {"SELECT * FROM", 3131},
        {"SELECT * FROM WHERE a = 1", 3131},
        {"SELECT * FROM T, U", 3131},
        {"SELECT * FROM T U", 3131},
    };
    for (const Row& row : rows) {
        std::string description;
        EXPECT_EQ(faultOf([&] { parse(row.sql); }, &description), row.fault) << row.sql;
        EXPECT_NE(description.find("'" + row.sql + "'"), std::string::npos) << description;
    }
}

}  // namespace
}  // namespace dalvon::sql

namespace dalvon::sql {
namespace {

TEST(SqlQueryTest, TheLiteralScanFindsWhatTheTokenizerFinds) {
    for (const char* text :
         {kSourceQuery, kNameQuery, kTakeoverQuery, "SELECT * FROM T WHERE a = -12.5e3 AND b=.5",
          "SELECT [x 1].* FROM [x 1] WHERE [9]=\"[\" AND T.5 = \"\"", "SELECT a1,b2 FROM t3"}) {
        std::vector<Token> expected;
        for (const Token& token : tokenize(text)) {
            if (token.kind == TokenKind::Text || token.kind == TokenKind::Number)
                expected.push_back(token);
        }
        TokenScanner scanner(text);
        for (const Token& want : expected) {
            Token got = scanner.nextLiteral();
            EXPECT_EQ(got.kind, want.kind) << text;
            EXPECT_EQ(got.text.data(), want.text.data()) << text;
        }
        EXPECT_EQ(scanner.nextLiteral().kind, TokenKind::End) << text;
    }
    for (const char* bad : {"SELECT * FROM T WHERE a = \"open", "SELECT * FROM T WHERE a = 5x",
                            "SELECT * FROM T WHERE a ? 1"}) {
        std::string viaTokens, viaScan;
        EXPECT_EQ(faultOf([&] { tokenize(bad); }, &viaTokens), 3075);
        EXPECT_EQ(faultOf(
                      [&] {
                          TokenScanner scanner(bad);
                          while (scanner.nextLiteral().kind != TokenKind::End) {
                          }
                      },
                      &viaScan),
                  3075);
        EXPECT_EQ(viaScan, viaTokens);
    }
}

TEST(SqlQueryTest, NamesMatchWithoutRegardToCase) {
    struct Row {
        std::string a, b;
        bool same;
    };
    const std::vector<Row> rows = {
        {"var_name", "VAR_NAME", true},
        {"Var_Name", "var_name", true},
        {"größe", "GRÖßE", true},
        {"äpfel", "ÄPFEL", true},
        {"var_name", "var_nam", false},
        {"ID", "IE", false},
        {"", "", true},
        {"a_", "A-", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sameName(row.a, row.b), row.same) << row.a << " " << row.b;
}

}  // namespace
}  // namespace dalvon::sql

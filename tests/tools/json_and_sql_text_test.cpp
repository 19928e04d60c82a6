// The text forms dalvon-db writes: JSON values and CREATE TABLE statements.
#include <gtest/gtest.h>

#include "tools/dalvon-db/create_table_text.h"
#include "tools/dalvon-db/json_writer.h"

namespace dalvon::db_tool {
namespace {

// Null, booleans, doubles, currency and dates are in the export test of dalvon-db.
TEST(JsonText, ValuesKeepTheirKind) {
    const std::pair<Variant, const char*> rows[] = {
        {Variant(), "null"},
        {Variant::integer(-3), "-3"},
        {Variant::string("a\"b\\c\r\n\t\x01 Größe"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001 Größe\""},
        {Variant::binary({0x00, 0xAB}), "\"00AB\""},
    };
    for (const auto& [value, json] : rows)
        EXPECT_EQ(jsonValue(value), json) << json;
}

TEST(CreateTableText, DeclaredJetTypesAndQuotedNames) {
    std::vector<FieldDef> fields = {
        {"ID", 4, 4},         {"flag", 1, 1},    {"b", 2, 1},      {"pass", 3, 2},
        {"price", 5, 8},      {"min", 6, 4},     {"max", 7, 8},    {"changed", 8, 8},
        {"raw", 9, 16},       {"text", 10, 255}, {"blob", 11, 0},  {"memo", 12, 0},
        {"guid", 15, 16},     {"dec", 20, 17},   {"order", 10, 5}, {"my field", 10, 20},
        {"say \"hi\"", 4, 4},
    };
    EXPECT_EQ(createTableText("Source_PRESET_DEFS", fields),
              "CREATE TABLE Source_PRESET_DEFS (ID LONG, flag BIT, b BYTE, pass SHORT, "
              "price CURRENCY, min SINGLE, max DOUBLE, changed DATETIME, raw VARBINARY(16), "
              "text VARCHAR(255), blob LONGBINARY, memo LONGTEXT, guid GUID, dec DOUBLE, "
              "\"order\" VARCHAR(5), \"my field\" VARCHAR(20), \"say \"\"hi\"\"\" LONG);");
    EXPECT_EQ(createTableText("2nd table", {{"a", 4, 4}}), "CREATE TABLE \"2nd table\" (a LONG);");
}

}  // namespace
}  // namespace dalvon::db_tool

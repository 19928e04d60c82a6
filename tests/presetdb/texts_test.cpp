// Key values in the takeover query and the additional-field list.
#include <gtest/gtest.h>

#include "platform/variant.h"
#include "presetdb/additional_fields.h"
#include "presetdb/takeover_texts.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

TEST(TakeoverKeyText, WholeNumbersTextsAndOtherKinds) {
    struct Row {
        Variant value;
        std::string text;
    };
    const Row rows[] = {
        {Variant::longValue(-12), "-12"},
        {Variant::integer(7), "7"},
        {Variant::string("Ab \"c"), "Ab \"c"},
        {Variant::null(), ""},
        {Variant::doubleValue(0.1 + 0.2), "0.30000000000000004"},
        {Variant::doubleValue(2.5), "2.5"},
        {Variant::boolean(true), "-1"},
        {Variant::date(45292.5), "45292.5"},
        {Variant::currency(12345), "1.2345"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TakeoverKeyText(row.value), row.text) << row.value.typeName();
}

TEST(AdditionalFields, ListClauseAndCount) {
    struct Row {
        const char* entry;  // nullptr: no entry at all
        std::vector<std::string> fields;
        std::string clause;
    };
    const Row rows[] = {
        {nullptr, {"", "part"}, ", PRESET_DEFS.part"},
        {"", {"", "part"}, ", PRESET_DEFS.part"},
        {"x", {"", "part", "x"}, ", PRESET_DEFS.part, PRESET_DEFS.x"},
        {"part", {"", "part", "part"}, ", PRESET_DEFS.part, PRESET_DEFS.part"},
        {"a,", {"", "part", "a", ""}, ", PRESET_DEFS.part, PRESET_DEFS.a, PRESET_DEFS."},
        {"a,, b",
         {"", "part", "a", "", " b"},
         ", PRESET_DEFS.part, PRESET_DEFS.a, PRESET_DEFS., PRESET_DEFS. b"},
    };
    for (const Row& row : rows) {
        testing::TestInstallation inst;
        std::string cfg = "[Project]\r\nValidMachines=ALL\r\n";
        if (row.entry != nullptr)
            cfg += std::string("DataBaseAdditionalFields=") + row.entry + "\r\n";
        inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg", cfg);
        GetAddFields(inst.rt());
        const auto& state = inst.rt().presetdb;
        EXPECT_EQ(state.AdditionalFields, row.fields) << (row.entry ? row.entry : "(none)");
        EXPECT_EQ(state.AdditionalFieldsClause, row.clause);
        EXPECT_EQ(state.AdditionalFieldCount, static_cast<int16_t>(row.fields.size() - 1));
    }
}

}  // namespace
}  // namespace dalvon

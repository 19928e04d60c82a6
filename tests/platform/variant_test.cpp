#include "platform/variant.h"

#include <gtest/gtest.h>

#include "platform/fault.h"

namespace dalvon {
namespace {

int faultOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Fault& fault) {
        return fault.number();
    }
    return 0;
}

TEST(VariantTest, NamesItsKind) {
    struct Row {
        Variant value;
        const char* name;
    };
    const Row rows[] = {
        {Variant(), "Empty"},
        {Variant::null(), "Null"},
        {Variant::boolean(true), "Boolean"},
        {Variant::byte(1), "Byte"},
        {Variant::integer(1), "Integer"},
        {Variant::longValue(1), "Long"},
        {Variant::single(1), "Single"},
        {Variant::doubleValue(1), "Double"},
        {Variant::currency(1), "Currency"},
        {Variant::date(1), "Date"},
        {Variant::string("x"), "String"},
        {Variant::binary({1}), "Byte()"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.value.typeName(), row.name);
}

TEST(VariantTest, ConvertsToText) {
    struct Row {
        Variant value;
        const char* text;
    };
    const Row rows[] = {
        {Variant(), ""},
        {Variant::boolean(true), "True"},
        {Variant::boolean(false), "False"},
        {Variant::integer(-32768), "-32768"},
        {Variant::longValue(2147483647), "2147483647"},
        {Variant::single(0.1f), "0.1"},
        {Variant::doubleValue(1.5), "1.5"},
        {Variant::doubleValue(-0.25), "-0.25"},
        {Variant::doubleValue(1e20), "1E+20"},
        {Variant::doubleValue(123456789012345678.0), "1.23456789012346E+17"},
        {Variant::currency(12345), "1.2345"},
        {Variant::currency(-50000), "-5"},
        {Variant::date(45000), "2023-03-15"},
        {Variant::date(45000.5), "2023-03-15 12:00:00"},
        {Variant::string(" as is "), " as is "},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.value.toText(), row.text) << row.value.typeName();
    EXPECT_EQ(faultOf([] { Variant::null().toText(); }), 94);
    EXPECT_EQ(Variant::null().toTextOrEmpty(), "");
}

TEST(VariantTest, ConvertsToWholeNumbersRoundingHalfToEven) {
    struct Row {
        Variant value;
        int expected;  // a fault number when `faults` is set
        bool faults;
    };
    const Row rows[] = {
        {Variant::doubleValue(2.5), 2, false},
        {Variant::doubleValue(3.5), 4, false},
        {Variant::doubleValue(-2.5), -2, false},
        {Variant::string(" 12 "), 12, false},
        {Variant::boolean(true), -1, false},
        {Variant(), 0, false},
        {Variant::doubleValue(32767.4), 32767, false},
        {Variant::doubleValue(32767.5), 6, true},
        {Variant::doubleValue(-32768.5), -32768, false},
        {Variant::longValue(40000), 6, true},
        {Variant::string("1e10"), 6, true},
        {Variant::string("12abc"), 13, true},
        {Variant::string(""), 13, true},
        {Variant::null(), 94, true},
    };
    for (const Row& row : rows) {
        if (row.faults) {
            EXPECT_EQ(faultOf([&] { row.value.toInteger(); }), row.expected)
                << row.value.toTextOrEmpty();
        } else {
            EXPECT_EQ(row.value.toInteger(), row.expected) << row.value.toTextOrEmpty();
        }
    }
    EXPECT_EQ(faultOf([] { Variant::doubleValue(2147483647.5).toLong(); }), 6);
    EXPECT_EQ(Variant::doubleValue(-2147483648.0).toLong(), INT32_MIN);
}

TEST(VariantTest, ReadsBooleansFromTextInAnyCase) {
    EXPECT_TRUE(Variant::string("tRuE").toBoolean());
    EXPECT_FALSE(Variant::string("False").toBoolean());
    EXPECT_TRUE(Variant::string("2").toBoolean());
    EXPECT_EQ(faultOf([] { Variant::string("yes").toBoolean(); }), 13);
}

}  // namespace
}  // namespace dalvon

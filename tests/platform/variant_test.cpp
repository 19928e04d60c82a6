#include "platform/variant.h"

#include <gtest/gtest.h>

#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace {

TEST(VariantTest, ConvertsToText) {
    const std::pair<Variant, const char*> rows[] = {
        {Variant(), ""},
        {Variant::boolean(false), "False"},
        {Variant::integer(-32768), "-32768"},
        {Variant::single(0.1f), "0.1"},
        {Variant::doubleValue(-0.25), "-0.25"},
        {Variant::doubleValue(1e20), "1E+20"},
        {Variant::doubleValue(123456789012345678.0), "1.23456789012346E+17"},
        {Variant::currency(12345), "1.2345"},
        {Variant::currency(-50000), "-5"},
        {Variant::date(45000), "2023-03-15"},
        {Variant::date(45000.5), "2023-03-15 12:00:00"},
        {Variant::string(" as is "), " as is "},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(value.toText(), text) << value.typeName();
    EXPECT_EQ(faultOf([] { Variant::null().toText(); }), 94);
    EXPECT_EQ(Variant::null().toTextOrEmpty(), "");
}

TEST(VariantTest, ConvertsToNumbersAndBooleansOrFaults) {
    const std::pair<Variant, int> values[] = {
        {Variant::doubleValue(2.5), 2},         {Variant::doubleValue(3.5), 4},
        {Variant::doubleValue(-2.5), -2},       {Variant::string(" 12 "), 12},
        {Variant::boolean(true), -1},           {Variant(), 0},
        {Variant::doubleValue(32767.4), 32767}, {Variant::doubleValue(-32768.5), -32768}};
    for (const auto& [value, expected] : values)
        EXPECT_EQ(value.toInteger(), expected) << value.toTextOrEmpty();
    const std::pair<Variant, int> faults[] = {
        {Variant::doubleValue(32767.5), 6}, {Variant::longValue(40000), 6},
        {Variant::string("1e10"), 6},       {Variant::string("12abc"), 13},
        {Variant::string(""), 13},          {Variant::null(), 94}};
    for (const auto& [value, number] : faults)
        EXPECT_EQ(faultOf([&] { value.toInteger(); }), number) << value.toTextOrEmpty();
    EXPECT_EQ(faultOf([] { Variant::doubleValue(2147483647.5).toLong(); }), 6);
    EXPECT_EQ(Variant::doubleValue(-2147483648.0).toLong(), INT32_MIN);

    EXPECT_TRUE(Variant::string("tRuE").toBoolean());
    EXPECT_FALSE(Variant::string("False").toBoolean());
    EXPECT_TRUE(Variant::string("2").toBoolean());
    EXPECT_EQ(faultOf([] { Variant::string("yes").toBoolean(); }), 13);
}

}  // namespace
}  // namespace dalvon::testing

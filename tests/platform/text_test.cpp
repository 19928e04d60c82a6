#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace dalvon {
namespace {

TEST(TextTest, UpperCasesAsciiAndLatin1Letters) {
    const std::pair<const char*, const char*> rows[] = {
        {"program.ini", "PROGRAM.INI"}, {"äöüé", "ÄÖÜÉ"}, {"Grüße", "GRÜßE"},
        {"ÿ stays", "ÿ STAYS"},         {"÷×", "÷×"},     {"€ œ", "€ œ"},
        {"D:\\x_1", "D:\\X_1"}};
    for (const auto& [text, upper] : rows)
        EXPECT_EQ(upperCase(text), upper) << text;
    EXPECT_TRUE(equalsIgnoreCase("Maschine ä", "MASCHINE Ä"));
    EXPECT_FALSE(equalsIgnoreCase("Grüße", "GRÜSSE"));
}

TEST(TextTest, ConvertsWindows1252BothWays) {
    const std::pair<const char*, std::string> rows[] = {
        {"Grüße €",
         "Gr\xFC\xDF"
         "e \x80"},
        {"‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ",
         "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99"
         "\x9A\x9B\x9C\x9E\x9F"},
        {"\u00A0¡ÿ", "\xA0\xA1\xFF"},
        {"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},  // unassigned bytes
        {"plain ASCII\r\n", "plain ASCII\r\n"},
    };
    for (const auto& [utf8, cp1252] : rows) {
        EXPECT_EQ(utf8ToCp1252(utf8), cp1252) << utf8;
        EXPECT_EQ(cp1252ToUtf8(cp1252), utf8) << utf8;
    }
    EXPECT_EQ(utf8ToCp1252("漢 Ω 😀"), "? ? ?");
}

TEST(TextTest, CountsFindsAndTrims) {
    EXPECT_EQ(characterCount("äb€😀"), 4u);
    EXPECT_EQ(firstCharacters("äb€😀", 3), "äb€");
    EXPECT_EQ(firstCharacters("ab", 5), "ab");
    EXPECT_EQ(findText("Dalvon_Config", "_Config"), 7u);
    EXPECT_EQ(findText("abc", "x"), 0u);
    EXPECT_EQ(findText("abc", ""), 1u);
    EXPECT_EQ(findText("", ""), 0u);
    // The case-blind search agrees with searching the upper-cased texts.
    const std::pair<std::string, std::string> searches[] = {{"straße ###Var_Name", "###var_name"},
                                                            {"Ärger und ärger", "ÄRGER"},
                                                            {"ab", "abc"},
                                                            {"", "x"},
                                                            {"x", ""},
                                                            {"aaab", "AAB"},
                                                            {"é###machine", "###Machine"}};
    for (const auto& [haystack, needle] : searches) {
        EXPECT_EQ(findTextIgnoringCase(haystack, needle),
                  findText(upperCase(haystack), upperCase(needle)))
            << haystack << " / " << needle;
    }
    EXPECT_EQ(trimBlanks("  a b \t "), "a b \t");
    EXPECT_EQ(trimBlanks("   "), "");
}

}  // namespace
}  // namespace dalvon

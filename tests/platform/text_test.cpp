#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace dalvon {
namespace {

TEST(TextTest, UpperCasesAsciiAndLatin1LettersOnly) {
    const std::pair<const char*, const char*> rows[] = {{"D:\\program_1.ini", "D:\\PROGRAM_1.INI"},
                                                        {"äöüé Grüße", "ÄÖÜÉ GRÜßE"},
                                                        {"ÿ÷×€œ", "ÿ÷×€œ"}};
    for (const auto& [text, upper] : rows)
        EXPECT_EQ(upperCase(text), upper) << text;
    EXPECT_TRUE(equalsIgnoreCase("Maschine ä", "MASCHINE Ä"));
    EXPECT_FALSE(equalsIgnoreCase("Grüße", "GRÜSSE"));
}

TEST(TextTest, ConvertsWindows1252BothWays) {
    const std::pair<const char*, std::string> rows[] = {
        {"plain ASCII\r\n", "plain ASCII\r\n"},
        {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ",
         "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98"
         "\x99\x9A\x9B\x9C\x9E\x9F"},
        {"\u00A0¡üßÿ", "\xA0\xA1\xFC\xDF\xFF"},
        {"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},  // unassigned bytes
    };
    for (const auto& [utf8, cp1252] : rows) {
        EXPECT_EQ(utf8ToCp1252(utf8), cp1252) << utf8;
        EXPECT_EQ(cp1252ToUtf8(cp1252), utf8) << utf8;
    }
    EXPECT_EQ(utf8ToCp1252("漢 Ω 😀"), "? ? ?");
}

TEST(TextTest, FindsWithAndWithoutRegardToCase) {
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
}

}  // namespace
}  // namespace dalvon

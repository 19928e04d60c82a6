#include "form/form_texts.h"

#include <gtest/gtest.h>

#include "form/controls.h"

namespace dalvon {
namespace {

TEST(FormTexts, EditorCodeOfTheFirstEnvironmentEntry) {
    struct Row {
        const char* entry;
        const char* code;
    } rows[] = {
        {"NAME=a-b_c", "666768"},  // hyphen and underscore skipped
        {"X=abc", "666768"},
        {"X=a=b", "664267"},               // only the first "=" separates
        {"NOEQUALS", "53544A565A465158"},  // the whole entry when there is no "="
        {"X=", ""},
        {"X=\xC3\xBF", "104"},     // ÿ is 255 in Windows-1252: three digits
        {"X=\xE2\x82\xAC", "85"},  // the euro sign is 128 in Windows-1252
        {"X= ", "25"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(editorCode(row.entry), row.code) << row.entry;
}

TEST(FormTexts, LineMarkersInAnyCase) {
    struct Row {
        const char* text;
        const char* shown;
    } rows[] = {
        {"First line<crlf>Second<CRLF>third", "First line\r\nSecond\r\nthird"},
        {"no markers", "no markers"},
        {"", ""},
        {"0", "0"},
        {"<CrLf>", "\r\n"},
        {"a<CRLF><crlf>B", "a\r\n\r\nB"},
        {"<CRL", "<CRL"},
        {"\xC3\xA4<crlf>\xC3\xB6", "\xC3\xA4\r\n\xC3\xB6"},  // text around keeps its bytes
    };
    for (const Row& row : rows)
        EXPECT_EQ(expandLineMarkers(row.text), row.shown) << row.text;
}

TEST(FormTexts, LanguageFileKeys) {
    Control single;
    single.name = "CommandOK";
    Control member;
    member.name = "OptA";
    member.index = 2;
    member.tag = "x";
    EXPECT_EQ(captionKey(single, false), "Caption_CommandOK_");
    EXPECT_EQ(toolTipKey(single, false), "TTT_CommandOK_");
    EXPECT_EQ(captionKey(member, true), "Caption_OptA2_x");
    EXPECT_EQ(toolTipKey(member, true), "TTT_OptA2_x");
    EXPECT_EQ(captionKey(member, false), "Caption_OptA_x");
    EXPECT_EQ(helpKey(12), "Help12");
}

TEST(FormTexts, CancelQuestionInBothForms) {
    EXPECT_EQ(cancelQuestion(false, "", "D:\\Plant\\Config", "Dalvon_Config"),
              "Cancel edits?\n\rRemark:\n\rUntil now no changes have been taken over ");
    EXPECT_EQ(cancelQuestion(true, "Dalvon", "D:\\Plant\\Config", "Dalvon_Config"),
              "Cancel edits?\n\rRemark:\n\rUntil now no changes have been taken over \n\r"
              "\"Dalvon\" has to be configured again in \"standalone-mode\" via \n\r"
              "\"D:\\Plant\\Config\\Dalvon_Config.exe\"");
    EXPECT_EQ(cancelLogLine("Dalvon"), "Konfigurations-EXE wurde abgebrochen:     Dalvon");
}

}  // namespace
}  // namespace dalvon

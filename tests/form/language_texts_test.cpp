// The language file: created on first start, completed in other languages, read back.
#include <gtest/gtest.h>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using LanguageFile = FormTest;

const char* const kCheckJump = "Sprung zu MaterialChange";
const char* const kHeader = "Dalvon - Konfiguration Voreinstellungen";
const char* const kZeroKeys[] = {
    "TTT_CommandQuest_", "TTT_CommandOK_", "TTT_CommandCancel_", "TTT_MainFrame_", "Help1",
    "TTT_FrameRezept_",  "TTT_CheckJump_", "TTT_Header_",        "Help2",          "Help12",
};
const char* const kCaptionKeys[] = {"Caption_CommandQuest_", "Caption_CommandOK_",
                                    "Caption_CommandCancel_"};

TEST_F(LanguageFile, FirstStartWritesEveryKeyOfTheBuiltInLanguageAndReadsItBack) {
    load();
    EXPECT_EQ(entry("Language", "Language", kLanguageFile), "1031");
    for (const char* key : kCaptionKeys)
        EXPECT_EQ(entry("1031", key, kLanguageFile), "") << key;
    EXPECT_EQ(entry("1031", "Caption_CheckJump_", kLanguageFile), kCheckJump);
    EXPECT_EQ(entry("1031", "Caption_Header_", kLanguageFile), kHeader);
    for (const char* key : kZeroKeys)
        EXPECT_EQ(entry("1031", key, kLanguageFile), "0") << key;
    // Frames have no caption and load no help text.
    EXPECT_EQ(entry("1031", "Caption_FrameRezept_", kLanguageFile), kMissing);
    EXPECT_EQ(entry("1031", "Help11", kLanguageFile), kMissing);
    EXPECT_EQ(inst.rt().form.InfoTexts[0], "");

    // A second start reads back what the first wrote and changes nothing.
    std::string first = inst.readFile(kLanguageFile);
    frm_Dalvon_Config_Exe again(inst.rt());
    again.LoadToolTipTexts();
    EXPECT_EQ(inst.readFile(kLanguageFile), first);
    EXPECT_EQ(again.control("CheckJump").caption, kCheckJump);
}

TEST_F(LanguageFile, AnotherLanguageGetsZeroForEveryKeyAndTheWindowKeepsItsTexts) {
    inst.writeFile(kLanguageFile, "[Language]\r\nLanguage=1033\r\n[1033]\r\nCaption_Header_=0\r\n");
    load();
    for (const char* key : kZeroKeys)
        EXPECT_EQ(entry("1033", key, kLanguageFile), "0") << key;
    for (const char* key : kCaptionKeys)
        EXPECT_EQ(entry("1033", key, kLanguageFile), "0") << key;
    EXPECT_EQ(entry("1033", "Caption_CheckJump_", kLanguageFile), "0");
    EXPECT_EQ(entry("1033", "Caption_Header_", kLanguageFile), "0");
    EXPECT_EQ(entry("1031", "Caption_CheckJump_", kLanguageFile), kMissing);
    EXPECT_EQ(form().control("CheckJump").caption, kCheckJump);
    EXPECT_EQ(form().control("Header").caption, kHeader);
    EXPECT_EQ(form().control("CheckJump").toolTip, "");
    // What was read is the info text: nothing at first, the placeholder from then on.
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "");
    frm_Dalvon_Config_Exe again(inst.rt());
    again.LoadToolTipTexts();
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "0");

    // In the built-in language a zero caption is replaced by the window's own.
    setEntry("Language", "Language", "1031", kLanguageFile);
    setEntry("1031", "Caption_Header_", "0", kLanguageFile);
    again.LoadToolTipTexts();
    EXPECT_EQ(entry("1031", "Caption_Header_", kLanguageFile), kHeader);
}

TEST_F(LanguageFile, TranslatedTextsReplaceTheBuiltInOnes) {
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1033\r\n[1033]\r\n"
                   "Caption_CheckJump_=Jump to material change\r\n"
                   "TTT_CommandOK_=Store and update\r\nHelp12=Jumps<CRLF>there\r\n");
    load();
    EXPECT_EQ(form().control("CheckJump").caption, "Jump to material change");
    EXPECT_EQ(form().control("CommandOK").toolTip, "Store and update");
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "Jumps<CRLF>there");
    EXPECT_EQ(entry("1033", "Caption_CheckJump_", kLanguageFile), "Jump to material change");
}

}  // namespace
}  // namespace dalvon::testing

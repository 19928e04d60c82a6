// The language file: created on first start, completed in other languages, read back.
#include <gtest/gtest.h>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using LanguageFile = FormTest;

const char* const kCheckJump = "Sprung zu MaterialChange";
const char* const kHeader = "Dalvon - Konfiguration Voreinstellungen";
const char* const kZeroKeys[] = {"TTT_CommandQuest_",
                                 "TTT_CommandOK_",
                                 "TTT_CommandCancel_",
                                 "TTT_MainFrame_",
                                 "TTT_FrameRezept_",
                                 "TTT_CheckJump_",
                                 "TTT_Header_",
                                 "Help1",
                                 "Help2",
                                 "Help12"};

Control label(const std::string& name, std::optional<int> index = {}, const std::string& tag = {},
              int helpId = 0) {
    Control control;
    control.name = name;
    control.index = index;
    control.tag = tag;
    control.helpId = helpId;
    control.caption = "built-in " + name;
    return control;
}

TEST_F(LanguageFile, FirstStartWritesEveryKeyOfTheBuiltInLanguageAndReadsItBack) {
    ASSERT_FALSE(inst.exists(kLanguageFile));
    load();
    EXPECT_EQ(entry("Language", "Language", kLanguageFile), "1031");
    for (const char* key :
         {"Caption_CommandQuest_", "Caption_CommandOK_", "Caption_CommandCancel_"})
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
    inst.writeFile(kLanguageFile, "[Language]\r\nLanguage=1033\r\n[1033]\r\n");
    load();
    for (const char* key : kZeroKeys)
        EXPECT_EQ(entry("1033", key, kLanguageFile), "0") << key;
    for (const char* key : {"Caption_CommandQuest_", "Caption_CommandOK_", "Caption_CommandCancel_",
                            "Caption_CheckJump_", "Caption_Header_"})
        EXPECT_EQ(entry("1033", key, kLanguageFile), "0") << key;
    EXPECT_EQ(entry("1031", "Caption_CheckJump_", kLanguageFile), kMissing);
    EXPECT_EQ(form().control("CheckJump").caption, kCheckJump);
    EXPECT_EQ(form().control("CheckJump").toolTip, "");
    // What was read is the info text: nothing at first, the placeholder from then on.
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "");
    frm_Dalvon_Config_Exe again(inst.rt());
    again.LoadToolTipTexts();
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "0");
}

TEST_F(LanguageFile, TranslatedTextsReplaceTheBuiltInOnes) {
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1033\r\n[1033]\r\n"
                   "Caption_CheckJump_=Jump to material change\r\n"
                   "TTT_CommandOK_=Store and update\r\nTTT_MainFrame_=Options\r\n"
                   "Help12=Jumps<CRLF>there\r\n");
    load();
    EXPECT_EQ(form().control("CheckJump").caption, "Jump to material change");
    EXPECT_EQ(form().control("CommandOK").toolTip, "Store and update");
    EXPECT_EQ(form().control("MainFrame").toolTip, "Options");
    EXPECT_EQ(inst.rt().form.InfoTexts[11], "Jumps<CRLF>there");
    EXPECT_EQ(entry("1033", "Caption_CheckJump_", kLanguageFile), "Jump to material change");
}

TEST_F(LanguageFile, ZeroCaptionIsReplacedOnlyInTheBuiltInLanguage) {
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1031\r\n[1031]\r\nCaption_Header_=0\r\n"
                   "[1033]\r\nCaption_Header_=0\r\n");
    load();
    EXPECT_EQ(entry("1031", "Caption_Header_", kLanguageFile), kHeader);

    inst.writeFile(kLanguageFile, "[Language]\r\nLanguage=1033\r\n[1033]\r\nCaption_Header_=0\r\n");
    frm_Dalvon_Config_Exe again(inst.rt());
    again.LoadToolTipTexts();
    EXPECT_EQ(entry("1033", "Caption_Header_", kLanguageFile), "0");
    EXPECT_EQ(again.control("Header").caption, kHeader);
}

TEST_F(LanguageFile, ControlArraysNotttTagsAndHelpIdsOutOfRange) {
    std::vector<Control> controls = standardControls();
    controls.push_back(label("OptA", 0));
    controls.push_back(label("OptA", 1, "x"));
    controls.push_back(label("Quiet", {}, "a_notTT_b"));
    controls.push_back(label("Far", {}, "", 101));
    controls.push_back(label("Last"));
    inst.writeFile(kLanguageFile,
                   "[Language]\r\nLanguage=1031\r\n[1031]\r\nTTT_Quiet_=never shown\r\n"
                   "TTT_Far_=never read\r\n");
    form(controls).LoadToolTipTexts();

    EXPECT_EQ(entry("1031", "Caption_OptA0_", kLanguageFile), "built-in OptA");
    EXPECT_EQ(entry("1031", "Caption_OptA1_x", kLanguageFile), "built-in OptA");
    EXPECT_EQ(entry("1031", "TTT_OptA1_x", kLanguageFile), "0");
    EXPECT_EQ(entry("1031", "Caption_OptA_", kLanguageFile), kMissing);
    // NOTTT in any case: the tool tip is neither read nor created.
    EXPECT_EQ(entry("1031", "Caption_Quiet_a_notTT_b", kLanguageFile), "built-in Quiet");
    EXPECT_EQ(entry("1031", "TTT_Quiet_a_notTT_b", kLanguageFile), kMissing);
    EXPECT_EQ(form().control("Quiet").toolTip, "");
    // Help ID 101: caption done, then the turn ends before help text and tool tip.
    EXPECT_EQ(entry("1031", "Caption_Far_", kLanguageFile), "built-in Far");
    EXPECT_EQ(entry("1031", "Help101", kLanguageFile), kMissing);
    EXPECT_EQ(form().control("Far").toolTip, "");
    EXPECT_EQ(entry("1031", "TTT_Last_", kLanguageFile), "0");
    EXPECT_TRUE(shown().empty());
}

}  // namespace
}  // namespace dalvon::testing

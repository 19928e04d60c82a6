// The help button's info mode: controls show their info texts instead of acting.
#include <gtest/gtest.h>

#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

class InfoMode : public FormTest {
protected:
    void SetUp() override {
        inst.writeFile(kLanguageFile,
                       "[Language]\r\nLanguage=1031\r\n[1031]\r\n"
                       "Help1=First line<crlf>Second<CRLF>third\r\nHelp2=Leaves\r\n"
                       "Help12=Jumps\r\n");
        ASSERT_EQ(load(), -1);
    }

    const MessageBox& lastBox() { return shown().back(); }
};

TEST_F(InfoMode, HelpButtonSwitchesModeAndColour) {
    EXPECT_EQ(form().control("CommandQuest").backColor, kLightGrey);
    form().CommandQuest_Click();
    EXPECT_TRUE(inst.rt().form.InfoMode);
    EXPECT_EQ(form().control("CommandQuest").backColor, kGreen);
    form().CommandQuest_Click();
    EXPECT_FALSE(inst.rt().form.InfoMode);
    EXPECT_EQ(form().control("CommandQuest").backColor, kLightGrey);
}

TEST_F(InfoMode, OkShowsItsTextOnThreeLinesAndActsOnlyAfterTheModeEnds) {
    form().CommandQuest_Click();
    EXPECT_EQ(run([&] { form().CommandOK_Click(); }), -1);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(lastBox().text, "First line\r\nSecond\r\nthird");
    EXPECT_EQ(lastBox().title, "Info:");
    EXPECT_EQ(lastBox().icon, DialogIcon::Information);
    EXPECT_EQ(lastBox().buttons, DialogButtons::Ok);
    EXPECT_TRUE(form().control("CommandOK").enabled);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");

    form().CommandQuest_Click();
    EXPECT_EQ(run([&] { form().CommandOK_Click(); }), kExitOk);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(InfoMode, CancelShowsItsTextAndAsksNothing) {
    form().CommandQuest_Click();
    EXPECT_EQ(run([&] { form().CommandCancel_Click(); }), -1);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(lastBox().text, "Leaves");
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));
}

TEST_F(InfoMode, CheckBoxKeepsItsStateAndShowsItsTextEachTime) {
    form().operatorClicksCheckJump();
    ASSERT_EQ(form().control("CheckJump").value, 1);
    form().CommandQuest_Click();
    RecordingView view;
    form().setView(&view);
    form().operatorClicksCheckJump();
    form().operatorClicksCheckJump();
    EXPECT_EQ(form().control("CheckJump").value, 1);
    EXPECT_FALSE(inst.rt().form.CheckJumpRestoring);
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[0].text, "Jumps");
    EXPECT_EQ(shown()[1].text, "Jumps");
    ASSERT_FALSE(view.changes.empty());
    EXPECT_EQ(view.changes.back().value, 1);

    form().CommandQuest_Click();
    form().operatorClicksCheckJump();
    EXPECT_EQ(form().control("CheckJump").value, 0);
    EXPECT_EQ(shown().size(), 2u);
}

TEST_F(InfoMode, FrameShowsAnEmptyBoxAndNothingOutsideTheMode) {
    form().FrameRezept_Click();
    EXPECT_TRUE(shown().empty());
    form().CommandQuest_Click();
    form().FrameRezept_Click();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(lastBox().text, "");
    EXPECT_EQ(lastBox().title, "Info:");
}

TEST_F(InfoMode, ControlWithoutHelpIdShowsAnEmptyBox) {
    form().CommandQuest_Click();
    form().ShowInfoText(form().control("Header"));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(lastBox().text, "");
}

}  // namespace
}  // namespace dalvon::testing

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

    // The texts shown since the last call.
    std::vector<std::string> newTexts() {
        std::vector<std::string> texts;
        for (; m_seen < shown().size(); ++m_seen) {
            EXPECT_EQ(shown()[m_seen].title, "Info:");
            EXPECT_EQ(shown()[m_seen].icon, DialogIcon::Information);
            EXPECT_EQ(shown()[m_seen].buttons, DialogButtons::Ok);
            texts.push_back(shown()[m_seen].text);
        }
        return texts;
    }

private:
    size_t m_seen = 0;
};

using Texts = std::vector<std::string>;

TEST_F(InfoMode, OkAndCancelShowTheirTextsAndActOnlyAfterTheModeEnds) {
    EXPECT_EQ(form().control("CommandQuest").backColor, kLightGrey);
    form().CommandQuest_Click();
    EXPECT_EQ(form().control("CommandQuest").backColor, kGreen);
    EXPECT_EQ(run([&] { form().CommandOK_Click(); }), -1);
    EXPECT_EQ(run([&] { form().CommandCancel_Click(); }), -1);
    EXPECT_EQ(newTexts(), (Texts{"First line\r\nSecond\r\nthird", "Leaves"}));
    EXPECT_TRUE(form().control("CommandOK").enabled);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));

    form().CommandQuest_Click();
    EXPECT_EQ(form().control("CommandQuest").backColor, kLightGrey);
    EXPECT_EQ(run([&] { form().CommandOK_Click(); }), kExitOk);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
}

TEST_F(InfoMode, CheckBoxKeepsItsStateAndOtherControlsShowTheirTextOnlyInTheMode) {
    form().FrameRezept_Click();
    form().operatorClicksCheckJump();
    ASSERT_EQ(form().control("CheckJump").value, 1);
    EXPECT_TRUE(shown().empty());
    form().CommandQuest_Click();
    RecordingView view;
    form().setView(&view);
    form().operatorClicksCheckJump();
    form().operatorClicksCheckJump();
    EXPECT_EQ(form().control("CheckJump").value, 1);
    ASSERT_FALSE(view.changes.empty());
    EXPECT_EQ(view.changes.back().value, 1);
    // Controls without a help text show an empty box.
    form().FrameRezept_Click();
    form().ShowInfoText(form().control("Header"));
    EXPECT_EQ(newTexts(), (Texts{"Jumps", "Jumps", "", ""}));

    form().CommandQuest_Click();
    form().operatorClicksCheckJump();
    EXPECT_EQ(form().control("CheckJump").value, 0);
    EXPECT_TRUE(newTexts().empty());
}

}  // namespace
}  // namespace dalvon::testing

// Loading in the three start modes, OK, Cancel and the close box.
#include <gtest/gtest.h>

#include "platform/event_loop.h"
#include "tests/form/form_fixture.h"

namespace dalvon::testing {
namespace {

using LoadAndLeave = FormTest;

const char* const kStandaloneQuestion =
    "Cancel edits?\n\rRemark:\n\rUntil now no changes have been taken over ";
const char* const kCancelLine = "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n";

TEST_F(LoadAndLeave, StandaloneLoadShowsTheModeAndWaits) {
    EXPECT_EQ(load(), -1);
    EXPECT_EQ(form().window().caption, "Erweiterte Konfiguration Config - standalone");
    EXPECT_TRUE(form().control("CommandOK").enabled);
    EXPECT_TRUE(form().control("CommandCancel").enabled);
    EXPECT_EQ(inst.rt().ExistingMachines,
              (std::vector<std::string>{"", "Press1", "Press2", "Winder"}));
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
}

// An event loop that activates the window at every yield, as a window system may during a long
// update, and notes whether OK or Cancel were usable then.
class ActivatingLoop : public EventLoop {
public:
    void yield() override {
        if (form == nullptr)
            return;
        form->Form_Activate();
        ++yields;
        anyEnabled = anyEnabled || form->control("CommandOK").enabled ||
                     form->control("CommandCancel").enabled;
    }
    frm_Dalvon_Config_Exe* form = nullptr;
    int yields = 0;
    bool anyEnabled = false;
};

TEST_F(LoadAndLeave, OkRunsTheUpdateStoresTheOptionAndNoButtonComesBack) {
    Runtime& base = inst.rt();
    ActivatingLoop loop;
    Runtime rt(
        Services{base.files, base.profiles, base.dialogs, loop, base.identity, base.databases});
    frm_Dalvon_Config_Exe window(rt);
    RecordingView view;
    window.setView(&view);
    EXPECT_EQ(run([&] { window.Form_Load(); }), -1);
    window.operatorClicksCheckJump();
    loop.form = &window;
    EXPECT_EQ(run([&] { window.CommandOK_Click(); }), kExitOk);
    EXPECT_GT(loop.yields, 1);
    EXPECT_FALSE(loop.anyEnabled);
    EXPECT_FALSE(window.control("CommandOK").enabled || window.control("CommandCancel").enabled);
    EXPECT_EQ(view.pointers,
              (std::vector<MousePointer>{MousePointer::Busy, MousePointer::Default}));
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "true");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
    EXPECT_TRUE(shown().empty());
}

TEST_F(LoadAndLeave, CancelAndTheCloseBoxAskAndOnlyYesEndsWithTheLogLine) {
    load();
    std::string programIni = inst.readFile(kProgramIni);
    inst.dialogs().queue(DialogAnswer::No);
    EXPECT_EQ(run([&] { form().CommandCancel_Click(); }), -1);
    ASSERT_EQ(shown().size(), 1u);
    const MessageBox& box = shown()[0];
    EXPECT_EQ(box.text, kStandaloneQuestion);
    EXPECT_EQ(box.title, "Cancel?");
    EXPECT_EQ(box.buttons, DialogButtons::YesNo);
    EXPECT_EQ(box.icon, DialogIcon::Exclamation);
    EXPECT_EQ(box.defaultButton, DialogAnswer::No);
    inst.dialogs().queue(DialogAnswer::No);
    EXPECT_EQ(run([&] { form().operatorClosesWindow(); }), -1);
    int cancel = 0;
    inst.dialogs().queue(DialogAnswer::No);
    form().Form_QueryUnload(cancel, 0);
    EXPECT_NE(cancel, 0);
    EXPECT_TRUE(form().control("CommandOK").enabled);
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));

    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_EQ(run([&] { form().operatorClosesWindow(); }), kExitCancelled);
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog), kCancelLine);
    EXPECT_EQ(inst.readFile(kProgramIni), programIni);
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
    EXPECT_EQ(shown().size(), 4u);
}

TEST_F(LoadAndLeave, SilentCancelIsConfirmedWithAServiceLogLine) {
    inst.rt().StartModeSilent = true;
    EXPECT_TRUE(form().ConfirmCancel());
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(inst.readFile(TestInstallation::kServiceLog),
              std::string("! Fault Dalvon_Config: ") + kStandaloneQuestion + "\r\n");
}

}  // namespace
}  // namespace dalvon::testing

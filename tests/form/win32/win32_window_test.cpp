// The Win32 window over the model, driven through its real child windows and messages: layout,
// texts in both languages, the option, OK, Cancel, the close box, keys and info mode.
#include <algorithm>
#include <vector>

#include "tests/form/win32/win32_window_fixture.h"

#include <commctrl.h>

namespace dalvon::testing {
namespace {

RECT placeInWindow(HWND child, HWND window) {
    RECT at;
    ::GetWindowRect(child, &at);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
    return at;
}

std::string toolTip(const win32::FormWindow& window, HWND child) {
    wchar_t buffer[512] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.uFlags = TTF_IDISHWND;
    tool.lpszText = buffer;
    ::SendMessageW(window.toolTips(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return win32::narrow(buffer);
}

TEST_F(Win32Window, ControlsSitAtTheirDesignPlacesWithTheirTexts) {
    open();
    EXPECT_EQ(text(window->handle()), "Erweiterte Konfiguration Config - standalone");
    for (const Control& design : standardControls()) {
        HWND child = control(design.name.c_str());
        int left = window->pixels(design.geometry.left);
        int top = window->pixels(design.geometry.top);
        for (std::string holder = design.container; !holder.empty();) {
            const Control* outer = nullptr;
            for (const Control& c : standardControls())
                outer = c.name == holder ? &c : outer;
            left += window->pixels(outer->geometry.left);
            top += window->pixels(outer->geometry.top);
            holder = outer->container;
        }
        RECT at = placeInWindow(child, window->handle());
        EXPECT_EQ(at.left, left) << design.name;
        EXPECT_EQ(at.top, top) << design.name;
        EXPECT_EQ(at.right - at.left, window->pixels(design.geometry.width)) << design.name;
        EXPECT_EQ(at.bottom - at.top, window->pixels(design.geometry.height)) << design.name;
        EXPECT_EQ(::GetWindowContextHelpId(child), static_cast<DWORD>(design.helpId))
            << design.name;
    }
    RECT client;
    ::GetClientRect(window->handle(), &client);
    EXPECT_EQ(client.right, window->pixels(11880));
    EXPECT_EQ(client.bottom, window->pixels(8595));
    EXPECT_EQ(window->pixels(1500), 100 * window->dpi() / 96);
    LONG style = ::GetWindowLongW(window->handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(style & WS_SYSMENU);

    EXPECT_EQ(text(control("CheckJump")), "Sprung zu MaterialChange");
    EXPECT_EQ(text(control("Header")), "Dalvon - Konfiguration Voreinstellungen");
    EXPECT_EQ(text(control("CommandCancel")), "Abbrechen");
    EXPECT_EQ(toolTip(*window, control("CommandCancel")),
              "Abbrechen: Programm ohne Änderungen beenden");
    EXPECT_TRUE(::IsWindowEnabled(control("CommandOK")));
    EXPECT_TRUE(::IsWindowEnabled(control("CommandCancel")));
}

TEST_F(Win32Window, EnglishTextsFromTheLanguageFile) {
    useLanguage("1033");
    open();
    EXPECT_EQ(text(control("CheckJump")), "Jump to MaterialChange");
    EXPECT_EQ(text(control("Header")), "Dalvon - Preset configuration");
    EXPECT_EQ(text(control("CommandOK")), "OK");
    EXPECT_EQ(toolTip(*window, control("CommandOK")),
              "OK: rebuild the presets for every machine and store the option");
}

TEST_F(Win32Window, TabGoesFromTheCheckBoxThroughOkCancelAndHelp) {
    open();
    EXPECT_EQ(::GetFocus(), control("CheckJump"));
    std::vector<std::string> order;
    HWND at = control("CheckJump");
    for (int i = 0; i < 4; ++i) {
        at = ::GetNextDlgTabItem(window->handle(), at, FALSE);
        for (const char* name : {"CheckJump", "CommandOK", "CommandCancel", "CommandQuest"})
            order.push_back(at == control(name) ? name : "");
        order.erase(std::remove(order.begin(), order.end(), ""), order.end());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"CommandOK", "CommandCancel", "CommandQuest",
                                               "CheckJump"}));
}

TEST_F(Win32Window, CheckBoxShowsTheStoredOptionAndOkStoresItAfterTheUpdate) {
    ASSERT_TRUE(inst.rt().profiles.writeString("Project", "DalvonJumpToMaterialChange", "true",
                                               kProgramIni));
    open();
    EXPECT_TRUE(checked());
    click("CheckJump");
    EXPECT_FALSE(checked());
    press(control("CheckJump"), VK_SPACE);
    ::PostMessageW(control("CheckJump"), WM_KEYUP, VK_SPACE, 0);
    pump.dispatchPending();
    EXPECT_TRUE(checked());
    click("CheckJump");

    loop.window = window.get();
    click("CommandOK");
    EXPECT_EQ(endStatus(), kExitOk);
    EXPECT_EQ(inst.table(kComponentDatabase, "PRESET_DEFS").rows.size(), 35u);
    EXPECT_GT(loop.yields, 0);
    EXPECT_FALSE(loop.usable);
    EXPECT_TRUE(loop.busy);
    EXPECT_FALSE(::IsWindowVisible(window->handle()));
    EXPECT_EQ(entry("Project", "DalvonJumpToMaterialChange", kProgramIni), "false");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "1.0.2 - Standalone");
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, static_cast<WPARAM>(kExitOk));
}

TEST_F(Win32Window, CancelEscAndTheCloseBoxAskAndEndOnlyOnYes) {
    open();
    inst.dialogs().queue(DialogAnswer::No);
    click("CommandCancel");
    inst.dialogs().queue(DialogAnswer::No);
    press(control("CheckJump"), VK_ESCAPE);
    inst.dialogs().queue(DialogAnswer::No);
    ::SendMessageW(window->handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump.dispatchPending();
    ASSERT_EQ(shown().size(), 3u);
    for (const MessageBox& box : shown()) {
        EXPECT_EQ(box.title, "Cancel?");
        EXPECT_EQ(box.defaultButton, DialogAnswer::No);
    }
    EXPECT_TRUE(::IsWindowVisible(window->handle()));
    EXPECT_EQ(endStatus(), -1);

    inst.dialogs().queue(DialogAnswer::Yes);
    ::SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(endStatus(), kExitCancelled);
    EXPECT_FALSE(::IsWindowVisible(window->handle()));
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Konfigurations-EXE wurde abgebrochen:     Dalvon\r\n");
    // Nothing acts once the end is decided.
    click("CommandOK");
    EXPECT_EQ(entry("Info", "S_Prog", kConfigurationFile), "");
}

TEST_F(Win32Window, EnterPressesOkUnlessAnotherButtonHasTheFocus) {
    open();
    inst.dialogs().queue(DialogAnswer::No);
    press(control("CommandCancel"), VK_RETURN);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].title, "Cancel?");
    press(control("CheckJump"), VK_RETURN);
    EXPECT_EQ(endStatus(), kExitOk);
}

TEST_F(Win32Window, InfoModeTurnsTheHelpButtonGreenAndExplainsInsteadOfActing) {
    useLanguage("1033");
    open();
    click("CommandQuest");
    HWND help = control("CommandQuest");
    ::RedrawWindow(help, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT size;
    ::GetClientRect(help, &size);
    {
        win32::WindowDc dc(help);
        EXPECT_EQ(::GetPixel(dc.get(), 5, size.bottom / 2), RGB(0, 255, 0));
    }
    click("CommandOK");
    click("CheckJump");
    RECT frame = placeInWindow(control("FrameRezept"), window->handle());
    LPARAM inside = MAKELPARAM(frame.left + 150, frame.top + 100);
    ::SendMessageW(window->handle(), WM_LBUTTONUP, 0, inside);
    ASSERT_EQ(shown().size(), 3u);
    EXPECT_EQ(shown()[0].text.rfind("OK rebuilds the table PRESET_DEFS", 0), 0u);
    EXPECT_EQ(shown()[1].text.rfind("When checked,", 0), 0u);
    EXPECT_EQ(shown()[2].text, "");
    EXPECT_FALSE(checked());
    EXPECT_EQ(endStatus(), -1);
    click("CommandQuest");
    ::RedrawWindow(help, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    win32::WindowDc dc(help);
    EXPECT_EQ(::GetPixel(dc.get(), 5, size.bottom / 2), RGB(0xC0, 0xC0, 0xC0));
}

}  // namespace
}  // namespace dalvon::testing

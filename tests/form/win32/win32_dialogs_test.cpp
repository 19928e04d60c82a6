// The message boxes as the operator meets them: MessageBoxW with the asked buttons, default
// button, title and text, answered here by a second thread as an operator would.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "form/win32/win32_front_end.h"
#include "form/win32/windows_api.h"
#include "platform/win32.h"

namespace dalvon::testing {
namespace {

// What the box showed, read off its window before it is answered.
struct SeenBox {
    bool found = false;
    bool answered = true;  // false: the answer did not close the box and it was closed by force
    std::string text;
    bool hasOk = false;
    bool hasYes = false;
    bool hasNo = false;
    int focused = 0;  // the button with the focus, which Enter presses: the default button
};

HWND waitForBox(const wchar_t* title, bool appear) {
    for (int i = 0; i < 250; ++i) {
        HWND box = ::FindWindowW(L"#32770", title);
        if ((box != nullptr) == appear)
            return box;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ::FindWindowW(L"#32770", title);
}

void readBox(HWND box, SeenBox& seen) {
    seen.found = true;
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
    seen.text = win32::narrow(text);
    seen.hasOk = ::GetDlgItem(box, IDOK) != nullptr;
    seen.hasYes = ::GetDlgItem(box, IDYES) != nullptr;
    seen.hasNo = ::GetDlgItem(box, IDNO) != nullptr;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &thread))
        seen.focused = ::GetDlgCtrlID(thread.hwndFocus);
}

// Waits for the box titled `title`, notes what it shows and answers it with the button
// `answer`, or with Enter when `answer` is 0. A box the answer did not close is closed with No
// (or OK), so that a failing test ends.
std::thread answerBox(const wchar_t* title, SeenBox& seen, int answer) {
    return std::thread([=, &seen] {
        HWND box = waitForBox(title, true);
        if (box == nullptr)
            return;
        readBox(box, seen);
        if (answer == 0) {
            HWND focus = ::GetDlgItem(box, seen.focused);
            ::PostMessageW(focus != nullptr ? focus : box, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
        if (waitForBox(title, false) != nullptr) {
            seen.answered = false;
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(seen.hasNo ? IDNO : IDOK, BN_CLICKED), 0);
        }
    });
}

TEST(Win32Dialogs, YesNoBoxWithNoAsDefault) {
    auto dialogs = makeWin32Dialogs();
    MessageBox question{"Cancel edits?\n\rRemark:\n\rUntil now no changes have been taken over ",
                        "Cancel?", DialogButtons::YesNo, DialogIcon::Exclamation, DialogAnswer::No};
    SeenBox seen;
    std::thread operatorSaysYes = answerBox(L"Cancel?", seen, IDYES);
    EXPECT_EQ(dialogs->show(question), DialogAnswer::Yes);
    operatorSaysYes.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Cancel edits?\nRemark:\nUntil now no changes have been taken over ");
    EXPECT_TRUE(seen.hasYes && seen.hasNo);
    EXPECT_FALSE(seen.hasOk);
    EXPECT_EQ(seen.focused, IDNO);
    EXPECT_TRUE(seen.answered);

    SeenBox second;
    std::thread operatorPressesEnter = answerBox(L"Cancel?", second, 0);
    EXPECT_EQ(dialogs->show(question), DialogAnswer::No);
    operatorPressesEnter.join();
    EXPECT_TRUE(second.found);
    EXPECT_TRUE(second.answered);
}

TEST(Win32Dialogs, OkBoxWithUtf8Text) {
    auto dialogs = makeWin32Dialogs();
    SeenBox seen;
    std::thread operatorSaysOk = answerBox(L"Fehler Größe", seen, IDOK);
    EXPECT_EQ(dialogs->show({"Datei für Maschine »Presse 1« fehlt", "Fehler Größe",
                             DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok}),
              DialogAnswer::Ok);
    operatorSaysOk.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Datei für Maschine »Presse 1« fehlt");
    EXPECT_TRUE(seen.hasOk);
    EXPECT_FALSE(seen.hasYes);
    EXPECT_TRUE(seen.answered);
}

}  // namespace
}  // namespace dalvon::testing

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/win32/form_window.h"
#include "form/win32/message_pump.h"
#include "platform/event_loop.h"
#include "platform/profile_store.h"
#include "platform/win32.h"
#include "tests/form/parked_end.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

// Pumps the window's messages like the real loop (without throttling) and notes what the
// operator could have seen at any yield: OK or Cancel usable, the busy pointer. Activates the
// window at each yield, as a window manager may.
class WatchingLoop : public EventLoop {
public:
    WatchingLoop(win32::MessagePump& pump, PendingEnd& pending)
        : m_pump(pump), m_pending(pending) {}

    void yield() override {
        m_pump.dispatchPending();
        if (window != nullptr) {
            HWND main = window->handle();
            ::SendMessageW(main, WM_ACTIVATE, WA_ACTIVE, 0);
            ++yields;
            for (const char* name : {"CommandOK", "CommandCancel"})
                usable = usable || ::IsWindowEnabled(window->controlWindow(name));
            ::SendMessageW(main, WM_SETCURSOR, reinterpret_cast<WPARAM>(main),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            busy = busy || ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT);
        }
        m_pending.rethrowIfSet();
    }

    win32::FormWindow* window = nullptr;
    int yields = 0;
    bool usable = false;
    bool busy = false;

private:
    win32::MessagePump& m_pump;
    PendingEnd& m_pending;
};

// The real Win32 window over the example installation with Access files and its language file.
class Win32Window : public ::testing::Test {
protected:
    Win32Window() : inst(DatabaseFormat::Jet4) {
        inst.makeExample();
        copyExample("Config\\Dalvon_Config.ini");
    }

    ~Win32Window() override {
        window.reset();
        // An end leaves WM_QUIT behind; the next test's loops must not see it.
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    void copyExample(const std::string& file) {
        std::string host = file;
        for (char& c : host)
            c = c == '\\' ? '/' : c;
        inst.writeFile("D:\\Plant\\" + file, fileBytes(sourceDir() / "example" / host));
    }

    void useLanguage(const std::string& number) {
        ASSERT_TRUE(inst.rt().profiles.writeString("Language", "Language", number, kLanguageFile));
    }

    // Loads the model and shows the window, as the front end does.
    void open(const std::string& commandLine = {}) {
        Runtime& base = inst.rt();
        m_runtime = std::make_unique<Runtime>(
            Services{base.files, base.profiles, base.dialogs, loop, base.identity, base.databases});
        m_model = std::make_unique<frm_Dalvon_Config_Exe>(*m_runtime);
        inst.setCommandLine(commandLine);
        ASSERT_EQ(inst.runUntilEnd([&] { m_model->Form_Load(); }), -1);
        window = std::make_unique<win32::FormWindow>(*m_model, pending);
        pump.setWindow(window.get());
        window->show();
        pump.dispatchPending();
    }

    HWND control(const char* name) {
        HWND found = window->controlWindow(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // A click of the mouse on a button or the check box, and what follows from it.
    void click(const char* name) {
        ::SendMessageW(control(name), BM_CLICK, 0, 0);
        pump.dispatchPending();
    }

    // A key pressed while `target` has the focus, through the message loop.
    void press(HWND target, WPARAM key) {
        ::SetFocus(target);
        ::PostMessageW(target, WM_KEYDOWN, key, 0);
        pump.dispatchPending();
    }

    static std::string text(HWND window) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(window, buffer, 512);
        return win32::narrow(buffer);
    }

    bool checked() {
        return ::SendMessageW(control("CheckJump"), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    int endStatus() { return parkedExitStatus(pending); }

    std::string entry(const std::string& section, const std::string& key, const std::string& file) {
        return inst.rt().profiles.getString(section, key, "<missing>", 4096, file);
    }

    const std::vector<MessageBox>& shown() { return inst.dialogs().shown(); }

    TestInstallation inst;
    PendingEnd pending;
    win32::MessagePump pump;
    WatchingLoop loop{pump, pending};

private:
    std::unique_ptr<Runtime> m_runtime;
    std::unique_ptr<frm_Dalvon_Config_Exe> m_model;

protected:
    std::unique_ptr<win32::FormWindow> window;
};

}  // namespace dalvon::testing

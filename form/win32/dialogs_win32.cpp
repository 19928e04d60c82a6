#include "form/win32/win32_front_end.h"
#include "form/win32/windows_api.h"
#include "platform/win32.h"

namespace dalvon {
namespace {

UINT iconFlag(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Critical:
            return MB_ICONERROR;
        case DialogIcon::Exclamation:
            return MB_ICONWARNING;
        case DialogIcon::Information:
            return MB_ICONINFORMATION;
        case DialogIcon::None:
            break;
    }
    return 0;
}

UINT flagsOf(const MessageBox& box, HWND owner) {
    UINT flags = iconFlag(box.icon) | MB_SETFOREGROUND;
    // Without a window of ours to own the box, it still holds off the whole program.
    if (owner == nullptr)
        flags |= MB_TASKMODAL;
    if (box.buttons == DialogButtons::Ok)
        return flags | MB_OK;
    return flags | MB_YESNO | (box.defaultButton == DialogAnswer::No ? MB_DEFBUTTON2 : 0);
}

class Win32Dialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override {
        HWND owner = ::GetActiveWindow();
        std::wstring text = win32::widen(plainLineBreaks(box.text));
        std::wstring title = win32::widen(box.title);
        int answer = ::MessageBoxW(owner, text.c_str(), title.c_str(), flagsOf(box, owner));
        if (box.buttons == DialogButtons::Ok)
            return DialogAnswer::Ok;
        return answer == IDYES ? DialogAnswer::Yes : DialogAnswer::No;
    }
};

}  // namespace

std::unique_ptr<Dialogs> makeWin32Dialogs() {
    return std::make_unique<Win32Dialogs>();
}

}  // namespace dalvon

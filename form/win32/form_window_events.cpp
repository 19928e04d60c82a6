// The window's messages: what the operator does, forwarded to the model's handlers, and the
// drawing the window does itself (background colours, the picture buttons).
#include <cmath>
#include <cstdio>
#include <exception>

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/win32/form_window.h"
#include "form/win32/picture_painter.h"
#include "platform/fault.h"
#include "platform/win32.h"

namespace dalvon::win32 {
namespace {

constexpr int kFirstControlId = 100;

bool modifierDown() {
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        if ((::GetKeyState(key) & 0x8000) != 0)
            return true;
    }
    return false;
}

}  // namespace

LRESULT CALLBACK FormWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window.reset(window);
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // Nothing may unwind through the window system's frames.
    try {
        return self->onMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "Dalvon_Config: %s\n", failure.what());
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FormWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            ::GetClientRect(handle(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush(m_form.window().backColor));
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DRAWITEM:
            onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
                return 0;
            // Keyboard focus goes back to a control, not to the bare window.
            if (HWND focus = ::GetFocus(); focus == nullptr || !::IsChild(handle(), focus))
                ::SetFocus(controlWindow("CheckJump"));
            guarded([&] { m_form.Form_Activate(); });
            return 0;
        case WM_SIZE:
            guarded([&] { m_form.Form_Resize(); });
            return 0;
        case WM_CLOSE:
            // The window is destroyed by its owner; a confirmed close ends the message loop.
            guarded([&] { m_form.operatorClosesWindow(); });
            return 0;
        case WM_LBUTTONUP:
            onClick({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_SETCURSOR:
            if (onSetCursor())
                return TRUE;
            break;
        case WM_DPICHANGED:
            onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(handle(), message, wParam, lParam);
}

void FormWindow::show() {
    ::ShowWindow(handle(), SW_SHOW);
    ::UpdateWindow(handle());
    ::SetForegroundWindow(handle());
    ::SetFocus(controlWindow("CheckJump"));
    // Not every window system activates a window when it is shown; the first show counts as one.
    if (!m_shown) {
        m_shown = true;
        guarded([&] { m_form.Form_Activate(); });
    }
}

bool FormWindow::preTranslate(MSG& message) {
    if (handle() == nullptr || (message.hwnd != handle() && !::IsChild(handle(), message.hwnd)))
        return false;
    if (message.message == WM_KEYDOWN && !modifierDown()) {
        if (message.wParam == VK_RETURN) {
            // Enter presses the focused button, as in any dialog; elsewhere it means OK.
            const Control* focused = controlOfWindow(::GetFocus());
            if (focused != nullptr && focused->kind == ControlKind::CommandButton)
                return pressIfEnabled(focused->name);
            return pressIfEnabled("CommandOK");
        }
        if (message.wParam == VK_ESCAPE && pressIfEnabled("CommandCancel"))
            return true;
    }
    return ::IsDialogMessageW(handle(), &message) != 0;
}

LRESULT FormWindow::onControlColor(HDC dc, HWND child) {
    const Control* control = controlOfWindow(child);
    Rgb color = control != nullptr ? control->backColor : m_form.window().backColor;
    ::SetBkColor(dc, colorRef(color));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(brush(color));
}

void FormWindow::onCommand(int id, int code) {
    size_t index = static_cast<size_t>(id - kFirstControlId);
    // IDOK and IDCANCEL from the dialog keys are handled before dispatch (preTranslate).
    if (id < kFirstControlId || index >= m_form.controls().size())
        return;
    const Control& control = m_form.controls()[index];
    // An owner-drawn button reports a quick second click as a double click: it is a click.
    bool clicked = code == BN_CLICKED ||
                   (control.kind == ControlKind::CommandButton && code == BN_DOUBLECLICKED);
    if (clicked && control.kind != ControlKind::Frame && control.kind != ControlKind::Label)
        click(control.name);
}

void FormWindow::click(const std::string& name) {
    guarded([&] {
        if (name == "CommandOK")
            m_form.CommandOK_Click();
        else if (name == "CommandCancel")
            m_form.CommandCancel_Click();
        else if (name == "CommandQuest")
            m_form.CommandQuest_Click();
        else if (name == "CheckJump")
            m_form.operatorClicksCheckJump();
    });
}

bool FormWindow::pressIfEnabled(const std::string& name) {
    HWND button = controlWindow(name);
    if (button == nullptr || !::IsWindowEnabled(button))
        return false;
    click(name);
    return true;
}

void FormWindow::onClick(POINT at) {
    // A frame lets the mouse through: a click on the recipe frame arrives here.
    HWND frame = controlWindow("FrameRezept");
    if (frame == nullptr)
        return;
    RECT area;
    ::GetWindowRect(frame, &area);
    ::MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&area), 2);
    if (::PtInRect(&area, at))
        guarded([&] { m_form.FrameRezept_Click(); });
}

void FormWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
    const Control* control = controlOfWindow(item.hwndItem);
    if (control == nullptr)
        return;
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    ::FillRect(dc, &area, brush(control->backColor));
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawEdge(dc, &area, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    int width = static_cast<int>(std::lround(control->pictureWidth * m_dpi / 96.0));
    int height = static_cast<int>(std::lround(control->pictureHeight * m_dpi / 96.0));
    int shift = pressed ? 1 : 0;
    RECT picture{(area.left + area.right - width) / 2 + shift,
                 (area.top + area.bottom - height) / 2 + shift, 0, 0};
    picture.right = picture.left + width;
    picture.bottom = picture.top + height;
    bool disabled = (item.itemState & ODS_DISABLED) != 0;
    paintPicture(dc, control->picture, picture, disabled);
    if (!control->caption.empty()) {
        ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::SetBkMode(dc, TRANSPARENT);
        std::wstring text = widen(control->caption);
        ::DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        ::InflateRect(&area, -2, -2);
        ::DrawFocusRect(dc, &area);
    }
}

bool FormWindow::onSetCursor() {
    if (!m_busy)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void FormWindow::onDpiChanged(int dpi, const RECT& suggested) {
    m_dpi = dpi;
    applyFonts();
    layout();
    ::SetWindowPos(handle(), nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class Handler>
void FormWindow::guarded(Handler&& handler) {
    runEventHandler(
        m_pending, handler, [this](const ProgramEnd& end) { endWith(end); },
        [](const std::string& text) { std::fprintf(stderr, "Dalvon_Config: %s\n", text.c_str()); });
}

void FormWindow::endWith(const ProgramEnd& end) {
    m_pending.set(end);
    ::ShowWindow(handle(), SW_HIDE);
    ::PostQuitMessage(end.exitStatus);
}

}  // namespace dalvon::win32

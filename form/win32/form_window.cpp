// The window's construction and layout: the child windows, their fonts, colours, tool tips and
// places. The messages are handled in form_window_events.cpp.
#include "form/win32/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "form/frm_dalvon_config_exe.h"
#include "form/win32/picture_painter.h"
#include "form/window_language.h"
#include "platform/win32.h"

namespace dalvon::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Dalvon_Config_Window";
constexpr int kFirstControlId = 100;
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignDpi = 96.0;
// The controls keep their design places, so a larger window would only show empty grey and a
// smaller one would hide the buttons: the size is fixed, without a maximise box. Not clipping
// its children: a frame paints only its border, the window paints the colour inside it.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The icon in the program's resources (app/dalvon_config.rc).
constexpr int kIconResource = 1;

HINSTANCE instance() {
    return ::GetModuleHandleW(nullptr);
}

// The DPI of the monitor the window is on, where the system can tell (Windows 10 and later);
// else the system's DPI.
int windowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (found != nullptr) {
        auto getDpi = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(found));
        if (UINT dpi = getDpi(window); dpi != 0)
            return static_cast<int>(dpi);
    }
    WindowDc dc(window);
    return ::GetDeviceCaps(dc.get(), LOGPIXELSX);
}

// The order the child windows are made in, which is their order on screen and for Tab: the
// controls by their tab index, then the frames, inner before outer, so that a frame lies below
// what it holds.
std::vector<size_t> creationOrder(const std::vector<Control>& controls) {
    std::vector<size_t> order(controls.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        bool frameA = controls[a].kind == ControlKind::Frame;
        bool frameB = controls[b].kind == ControlKind::Frame;
        if (frameA != frameB)
            return frameB;
        return frameA ? controls[a].tabIndex > controls[b].tabIndex
                      : controls[a].tabIndex < controls[b].tabIndex;
    });
    return order;
}

struct ChildKind {
    const wchar_t* className;
    DWORD style;
};

ChildKind childKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX};
        case ControlKind::CommandButton:
            return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP};
        case ControlKind::CheckBox:
            // Not an automatic check box: the model decides the state (info mode keeps it).
            return {L"BUTTON", BS_CHECKBOX | WS_TABSTOP};
        case ControlKind::Frame:
            break;
    }
    return {L"BUTTON", BS_GROUPBOX};
}

}  // namespace

FormWindow::FormWindow(frm_Dalvon_Config_Exe& form, PendingEnd& pending)
    : m_form(form), m_pending(pending), m_class([] {
          WNDCLASSEXW description{};
          description.cbSize = sizeof(description);
          description.lpfnWndProc = &FormWindow::windowProcedure;
          description.hInstance = instance();
          description.hIcon = ::LoadIconW(instance(), MAKEINTRESOURCEW(kIconResource));
          description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
          description.lpszClassName = kClassName;
          return description;
      }()) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    std::wstring caption = widen(form.window().caption);
    // The window procedure takes the window's handle into m_window while it is being made.
    if (::CreateWindowExW(0, kClassName, caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance(),
                          this) == nullptr)
        throw std::runtime_error("cannot create the window: " + lastErrorText());
    m_dpi = windowDpi(handle());
    m_toolTips.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                                       nullptr, instance(), nullptr));
    createControls();
    applyFonts();
    layout();
    m_form.setView(this);
}

FormWindow::~FormWindow() {
    m_form.setView(nullptr);
    // Messages sent while the windows go must not reach this half-destroyed object.
    if (handle() != nullptr)
        ::SetWindowLongPtrW(handle(), GWLP_USERDATA, 0);
    m_toolTips.reset();
    m_window.reset();
}

int FormWindow::pixels(int twips) const {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel * m_dpi / kDesignDpi));
}

HWND FormWindow::controlWindow(const std::string& name) const {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size() && i < m_controls.size(); ++i) {
        if (controls[i].name == name)
            return m_controls[i];
    }
    return nullptr;
}

const Control* FormWindow::controlOfWindow(HWND child) const {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i] == child)
            return &m_form.controls()[i];
    }
    return nullptr;
}

void FormWindow::createControls() {
    const auto& controls = m_form.controls();
    m_controls.assign(controls.size(), nullptr);
    m_fonts.resize(controls.size());
    for (size_t i : creationOrder(controls))
        m_controls[i] = createControl(controls[i], kFirstControlId + static_cast<int>(i));
    for (size_t i = 0; i < controls.size(); ++i) {
        addToolTip(i);
        apply(i);
    }
}

HWND FormWindow::createControl(const Control& control, int id) {
    ChildKind kind = childKind(control.kind);
    HWND child = ::CreateWindowExW(
        0, kind.className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, 0, 0, 0, 0,
        handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    if (child == nullptr)
        throw std::runtime_error("cannot create the control " + control.name + ": " +
                                 lastErrorText());
    if (control.helpId != 0)
        ::SetWindowContextHelpId(child, static_cast<DWORD>(control.helpId));
    return child;
}

void FormWindow::addToolTip(size_t index) {
    const Control& control = m_form.controls()[index];
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = handle();
    // A frame lets the mouse through to the window, so its tip belongs to its area there.
    if (control.kind == ControlKind::Frame) {
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = index;
    } else {
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.uId = reinterpret_cast<UINT_PTR>(m_controls[index]);
    }
    std::wstring text = widen(control.toolTip);
    tool.lpszText = text.data();
    ::SendMessageW(m_toolTips.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

RECT FormWindow::placeOf(const Control& control) const {
    // Each container's offset turned into pixels on its own, as the controls nest on screen.
    int left = pixels(control.geometry.left);
    int top = pixels(control.geometry.top);
    std::string container = control.container;
    while (!container.empty()) {
        const Control& holder = m_form.control(container);
        left += pixels(holder.geometry.left);
        top += pixels(holder.geometry.top);
        container = holder.container;
    }
    return {left, top, left + pixels(control.geometry.width),
            top + pixels(control.geometry.height)};
}

SIZE FormWindow::designClientSize() const {
    int width = designClientWidth(m_form.window(), m_form.controls());
    return {pixels(width), pixels(m_form.window().clientHeight)};
}

void FormWindow::layout() {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        RECT at = placeOf(controls[i]);
        ::SetWindowPos(m_controls[i], nullptr, at.left, at.top, at.right - at.left,
                       at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (controls[i].kind == ControlKind::Frame) {
            TOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = handle();
            tool.uId = i;
            tool.rect = at;
            ::SendMessageW(m_toolTips.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    SIZE client = designClientSize();
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    ::SetWindowPos(handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::applyFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW dialogFont = metrics.lfMessageFont;
    {
        WindowDc screen(nullptr);
        int systemDpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
        dialogFont.lfHeight = ::MulDiv(dialogFont.lfHeight, m_dpi, systemDpi);
    }
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const Font& design = controls[i].font;
        LOGFONTW font = dialogFont;
        if (!design.family.empty()) {
            font.lfHeight = -static_cast<LONG>(std::lround(design.points * m_dpi / 72.0));
            font.lfWeight = design.bold ? FW_BOLD : FW_NORMAL;
            std::wstring family = widen(design.family);
            lstrcpynW(font.lfFaceName, family.c_str(), LF_FACESIZE);
        }
        GdiObject<HFONT> made(::CreateFontIndirectW(&font));
        ::SendMessageW(m_controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
        m_fonts[i] = std::move(made);
    }
}

HBRUSH FormWindow::brush(Rgb color) {
    auto found = m_brushes.find(color);
    if (found == m_brushes.end())
        found =
            m_brushes.emplace(color, GdiObject<HBRUSH>(::CreateSolidBrush(colorRef(color)))).first;
    return found->second.get();
}

void FormWindow::apply(size_t index) {
    const Control& control = m_form.controls()[index];
    HWND child = m_controls[index];
    std::string text = control.caption;
    // A picture says nothing to a screen reader: an empty button carries its name as its text,
    // which the window system reads out but the owner-drawn button does not show.
    if (control.kind == ControlKind::CommandButton && text.empty())
        text = accessibleButtonName(control.name, m_form.language());
    ::SetWindowTextW(child, widen(text).c_str());
    ::EnableWindow(child, control.enabled ? TRUE : FALSE);
    if (control.kind == ControlKind::CheckBox)
        ::SendMessageW(child, BM_SETCHECK, control.value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = handle();
    tool.uId = control.kind == ControlKind::Frame ? index : reinterpret_cast<UINT_PTR>(child);
    std::wstring tip = widen(control.toolTip);
    tool.lpszText = tip.data();
    ::SendMessageW(m_toolTips.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::InvalidateRect(child, nullptr, TRUE);
}

void FormWindow::controlChanged(const Control& control) {
    const auto& controls = m_form.controls();
    for (size_t i = 0; i < controls.size() && i < m_controls.size(); ++i) {
        if (&controls[i] == &control)
            apply(i);
    }
}

void FormWindow::windowCaptionChanged(const std::string& caption) {
    ::SetWindowTextW(handle(), widen(caption).c_str());
}

void FormWindow::mousePointerChanged(MousePointer pointer) {
    m_busy = pointer == MousePointer::Busy;
    ::SetCursor(::LoadCursorW(nullptr, m_busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace dalvon::win32

#pragma once

#include "form/win32/windows_api.h"

#include <map>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/form_view.h"
#include "form/win32/gdi_handles.h"

namespace dalvon {

class frm_Dalvon_Config_Exe;
class PendingEnd;
struct ProgramEnd;

namespace win32 {

// The Win32 view of the window model: one child window per control at its design place (twips
// turned into pixels for the monitor's DPI), forwarding clicks, keys, the close box and
// activation to the model's handlers. Picture buttons are drawn by the window itself, so that
// their pictures and the help button's info-mode colour show under any visual style.
// An end of the program inside a handler is parked in `pending` and the message loop is left
// with WM_QUIT; nothing is thrown through a window procedure.
class FormWindow : public FormView {
public:
    FormWindow(frm_Dalvon_Config_Exe& form, PendingEnd& pending);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return m_window.get(); }
    // The child window of the control named `name`; null when there is none.
    HWND controlWindow(const std::string& name) const;
    // The tool-tip window of the controls.
    HWND toolTips() const { return m_toolTips.get(); }
    // A length in twips as pixels at the window's DPI (15 twips a pixel at 96 dpi).
    int pixels(int twips) const;
    int dpi() const { return m_dpi; }

    // Shows the window and makes it the active one.
    void show();
    // Handles a message before it is dispatched: Enter, Esc and the dialog keys (Tab, Space)
    // of the window's controls. True when the message was taken.
    bool preTranslate(MSG& message);

    void controlChanged(const Control& control) override;
    void windowCaptionChanged(const std::string& caption) override;
    void mousePointerChanged(MousePointer pointer) override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    HWND createControl(const Control& control, int id);
    void addToolTip(size_t index);
    void layout();
    RECT placeOf(const Control& control) const;
    SIZE designClientSize() const;
    void applyFonts();
    void apply(size_t index);
    HBRUSH brush(Rgb color);
    const Control* controlOfWindow(HWND child) const;
    LRESULT onControlColor(HDC dc, HWND child);
    void onCommand(int id, int code);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    void onClick(POINT at);
    void onDpiChanged(int dpi, const RECT& suggested);
    bool onSetCursor();
    // Runs the handler of the button as a click would, when the button is enabled.
    bool pressIfEnabled(const std::string& name);
    void click(const std::string& name);
    template <class Handler>
    void guarded(Handler&& handler);
    // Parks the end of the program and ends the message loop.
    void endWith(const ProgramEnd& end);

    frm_Dalvon_Config_Exe& m_form;
    PendingEnd& m_pending;
    WindowClass m_class;
    OwnedWindow m_window;
    OwnedWindow m_toolTips;
    std::vector<HWND> m_controls;  // parallel to the model's controls; owned by m_window
    std::vector<GdiObject<HFONT>> m_fonts;
    std::map<Rgb, GdiObject<HBRUSH>> m_brushes;
    int m_dpi = 96;
    bool m_busy = false;
    bool m_shown = false;
};

}  // namespace win32
}  // namespace dalvon

#include "form/frm_dalvon_config_exe.h"
#include "form/pending_end.h"
#include "form/win32/form_window.h"
#include "form/win32/message_pump.h"
#include "form/win32/win32_front_end.h"

namespace dalvon {
namespace {

class Win32FrontEnd : public FrontEnd {
public:
    Win32FrontEnd()
        : m_dialogs(makeWin32Dialogs()), m_events(makeWin32EventLoop(m_pump, m_pending)) {}

    Dialogs& dialogs() override { return *m_dialogs; }
    EventLoop& events() override { return *m_events; }

    void run(frm_Dalvon_Config_Exe& form) override {
        form.Form_Load();
        win32::FormWindow window(form, m_pending);
        m_pump.setWindow(&window);
        window.show();
        m_pump.run();
        m_pump.setWindow(nullptr);
        m_pending.rethrowIfSet();
        // The loop ended without a decision of the window (the session is ending): leave
        // without changes, as a confirmed close would.
        form.endAsConfirmedCancel();
    }

private:
    PendingEnd m_pending;
    win32::MessagePump m_pump;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<EventLoop> m_events;
};

}  // namespace

std::unique_ptr<FrontEnd> makeWin32FrontEnd() {
    return std::make_unique<Win32FrontEnd>();
}

}  // namespace dalvon

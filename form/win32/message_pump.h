#pragma once

#include "form/win32/windows_api.h"

namespace dalvon::win32 {

class FormWindow;

// The thread's message loop: dispatches the window system's messages, after the window has had
// its say about keys (Enter, Esc, Tab between the controls).
class MessagePump {
public:
    MessagePump() = default;
    MessagePump(const MessagePump&) = delete;
    MessagePump& operator=(const MessagePump&) = delete;

    // The window whose keys are handled before dispatch; null for none. Not owned.
    void setWindow(FormWindow* window) { m_window = window; }

    // Dispatches what is queued now and returns. False when the quit message was met: it is
    // queued again for the outer loop, which must end.
    bool dispatchPending();
    // Dispatches until the quit message; returns its code.
    int run();

private:
    void dispatch(MSG& message);

    FormWindow* m_window = nullptr;
};

}  // namespace dalvon::win32

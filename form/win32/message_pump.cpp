#include "form/win32/message_pump.h"

#include "form/win32/form_window.h"

namespace dalvon::win32 {

void MessagePump::dispatch(MSG& message) {
    if (m_window != nullptr && m_window->preTranslate(message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

bool MessagePump::dispatchPending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatch(message);
    }
    return true;
}

int MessagePump::run() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        dispatch(message);
    return static_cast<int>(message.wParam);
}

}  // namespace dalvon::win32

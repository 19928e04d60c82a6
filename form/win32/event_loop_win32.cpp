#include <chrono>

#include "form/pending_end.h"
#include "form/win32/message_pump.h"
#include "form/win32/win32_front_end.h"

namespace dalvon {
namespace {

// Often enough for a window that repaints smoothly, rarely enough that an update with tens of
// thousands of yields spends its time on the data.
constexpr std::chrono::milliseconds kPumpInterval{10};

class Win32EventLoop : public EventLoop {
public:
    Win32EventLoop(win32::MessagePump& pump, PendingEnd& pending)
        : m_pump(pump), m_pending(pending) {}

    void yield() override {
        auto now = std::chrono::steady_clock::now();
        if (!m_pumped || now - m_lastPump >= kPumpInterval) {
            m_pump.dispatchPending();
            m_lastPump = std::chrono::steady_clock::now();
            m_pumped = true;
        }
        m_pending.rethrowIfSet();
    }

private:
    win32::MessagePump& m_pump;
    PendingEnd& m_pending;
    bool m_pumped = false;
    std::chrono::steady_clock::time_point m_lastPump;
};

}  // namespace

std::unique_ptr<EventLoop> makeWin32EventLoop(win32::MessagePump& pump, PendingEnd& pending) {
    return std::make_unique<Win32EventLoop>(pump, pending);
}

}  // namespace dalvon

#include <QCoreApplication>
#include <chrono>

#include "form/pending_end.h"
#include "form/qt/qt_services.h"

namespace dalvon {
namespace {

// Often enough for a window that repaints smoothly, rarely enough that an update with tens of
// thousands of yields spends its time on the data.
constexpr std::chrono::milliseconds kPumpInterval{10};

class QtEventLoop : public EventLoop {
public:
    explicit QtEventLoop(PendingEnd& pending) : m_pending(pending) {}

    void yield() override {
        auto now = std::chrono::steady_clock::now();
        if (!m_pumped || now - m_lastPump >= kPumpInterval) {
            QCoreApplication::processEvents();
            m_lastPump = std::chrono::steady_clock::now();
            m_pumped = true;
        }
        m_pending.rethrowIfSet();
    }

private:
    PendingEnd& m_pending;
    bool m_pumped = false;
    std::chrono::steady_clock::time_point m_lastPump;
};

}  // namespace

std::unique_ptr<EventLoop> makeQtEventLoop(PendingEnd& pending) {
    return std::make_unique<QtEventLoop>(pending);
}

}  // namespace dalvon

#pragma once

namespace dalvon {

// The window's message loop, as the long loops of the update see it.
class EventLoop {
public:
    EventLoop() = default;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;
    virtual ~EventLoop() = default;

    // Lets pending window events run once. May be throttled by the implementation.
    virtual void yield() = 0;
};

// Without a window there is nothing to pump: counts the yields and does nothing else.
class CountingEventLoop : public EventLoop {
public:
    void yield() override { ++m_count; }
    long count() const { return m_count; }

private:
    long m_count = 0;
};

}  // namespace dalvon

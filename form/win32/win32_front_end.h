#pragma once

#include <memory>

#include "form/front_end.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace dalvon {

class PendingEnd;

namespace win32 {
class MessagePump;
}

// The window as a native Win32 window, its message boxes and its message loop.
std::unique_ptr<FrontEnd> makeWin32FrontEnd();

// Message boxes as MessageBoxW over the thread's active window (task-modal when there is
// none), with the buttons, icon, default button and title asked for. Closing a Yes/No box
// counts as No.
std::unique_ptr<Dialogs> makeWin32Dialogs();

// Dispatches the window's messages at most every few milliseconds, so that the update's many
// yields cost next to nothing; then rethrows an end of the program decided by a handler.
std::unique_ptr<EventLoop> makeWin32EventLoop(win32::MessagePump& pump, PendingEnd& pending);

}  // namespace dalvon

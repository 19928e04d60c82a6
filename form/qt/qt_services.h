#pragma once

#include <memory>

#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace dalvon {

class PendingEnd;

// Message boxes as modal QMessageBox dialogs over the active window. Needs a QApplication.
std::unique_ptr<Dialogs> makeQtDialogs();

// Pumps Qt's events at most every few milliseconds, so that the update's many yields cost
// next to nothing; then rethrows an end of the program decided by an event handler.
std::unique_ptr<EventLoop> makeQtEventLoop(PendingEnd& pending);

}  // namespace dalvon

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace dalvon {

class PendingEnd;

// Message boxes as modal QMessageBox dialogs over the active window. Needs a QApplication.
// The standard buttons are labelled in the language `languageNumber` gives at each box (the
// language file's number, "1031"), through Qt's own translations where they are installed.
std::unique_ptr<Dialogs> makeQtDialogs(std::function<std::string()> languageNumber = {});

// Pumps Qt's events at most every few milliseconds, so that the update's many yields cost
// next to nothing; then rethrows an end of the program decided by an event handler.
std::unique_ptr<EventLoop> makeQtEventLoop(PendingEnd& pending);

}  // namespace dalvon

#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/fault.h"

namespace dalvon {

// The end of the program, decided inside a window event handler. Exceptions must not cross a
// toolkit's event dispatch (Qt's, or the Win32 window procedures), so the handler parks the end
// here and leaves the event loop; our own code rethrows it where it regains control (after a
// yield, after the loop).
class PendingEnd {
public:
    // Keeps the first end: a later one cannot undo a decision already taken.
    void set(const ProgramEnd& end) {
        if (!m_end)
            m_end = end;
    }
    bool isSet() const { return m_end.has_value(); }
    void rethrowIfSet() const {
        if (m_end)
            throw *m_end;
    }

private:
    std::optional<ProgramEnd> m_end;
};

// Runs a handler of a window's event as every view must: not at all once the end is decided; an
// end it decides goes to `end` (the view parks it and leaves its loop); a fault of a handler
// without error handling of its own goes to `warn` and the window goes on; any other failure is
// warned of and ends the program with the error status, since nothing may cross the toolkit.
template <class Handler, class End, class Warn>
void runEventHandler(const PendingEnd& pending, Handler&& handler, End&& end, Warn&& warn) {
    if (pending.isSet())
        return;
    try {
        handler();
    } catch (const ProgramEnd& decided) {
        end(decided);
    } catch (const Fault& fault) {
        warn(fault.description());
    } catch (const std::exception& failure) {
        warn(std::string(failure.what()));
        end(ProgramEnd{kExitError});
    }
}

}  // namespace dalvon

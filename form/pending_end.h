#pragma once

#include <optional>

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

}  // namespace dalvon

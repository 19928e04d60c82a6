#pragma once

#include "form/pending_end.h"

namespace dalvon::testing {

// The exit status of the end a window's handler parked; -1 while none is.
inline int parkedExitStatus(const PendingEnd& pending) {
    try {
        pending.rethrowIfSet();
    } catch (const ProgramEnd& end) {
        return end.exitStatus;
    }
    return -1;
}

}  // namespace dalvon::testing

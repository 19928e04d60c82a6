#pragma once

namespace dalvon {

// Settles how this process meets limits of the host, once at the start of main(): a write past
// a file-size limit fails as a write (and is reported like a full disk) instead of ending the
// process by a signal that leaves no message, no log line and a temp file behind.
void prepareProcess();

}  // namespace dalvon

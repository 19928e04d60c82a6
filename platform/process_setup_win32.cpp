#include <windows.h>

#include "platform/process_setup.h"

namespace dalvon {

void prepareProcess() {
    // A missing disk or an unreadable file fails the call that met it; no system box waits for
    // an operator who may not be there (silent start).
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The program's texts are UTF-8, and so is what the terminal front end writes and reads.
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
}

}  // namespace dalvon

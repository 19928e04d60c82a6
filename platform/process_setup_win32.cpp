#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/process_setup.h"

namespace dalvon {

void prepareProcess() {
    // A missing disk or an unreadable file fails the call that met it; no system box waits for
    // an operator who may not be there (silent start).
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The program's texts are UTF-8, and so is what the terminal front end writes and reads.
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    // Output bytes as the program writes them: CSV and JSON carry their own line ends, and what
    // the tools print is byte for byte what they print on Linux (a script compares the two).
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace dalvon

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/process_setup.h"

namespace dalvon {
namespace {

bool hasStream(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A program of the Windows subsystem gets no console. Started from one (a command prompt), it
// joins that console, so that --help, --version and the terminal window reach the person who
// typed the command; streams already redirected (a pipe, a file) stay where they point. Started
// from the operator interface there is no console to join and nothing opens.
void joinParentConsole() {
    bool input = hasStream(STD_INPUT_HANDLE);
    bool output = hasStream(STD_OUTPUT_HANDLE);
    bool error = hasStream(STD_ERROR_HANDLE);
    if ((input && output && error) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!input)
        std::freopen("CONIN$", "r", stdin);
    if (!output)
        std::freopen("CONOUT$", "w", stdout);
    if (!error)
        std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

void prepareProcess() {
    // A missing disk or an unreadable file fails the call that met it; no system box waits for
    // an operator who may not be there (silent start).
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    joinParentConsole();
    // The program's texts are UTF-8, and so is what the terminal front end writes and reads.
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    // Output bytes as the program writes them: CSV and JSON carry their own line ends, and what
    // the tools print is byte for byte what they print on Linux (a script compares the two).
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace dalvon

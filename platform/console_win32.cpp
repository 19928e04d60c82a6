#include <windows.h>

#include "platform/console.h"

namespace dalvon {

bool standardInputIsTerminal() {
    // A console answers GetConsoleMode; NUL is a character device too, but does not.
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return input != nullptr && input != INVALID_HANDLE_VALUE &&
           ::GetFileType(input) == FILE_TYPE_CHAR && ::GetConsoleMode(input, &mode) != 0;
}

}  // namespace dalvon

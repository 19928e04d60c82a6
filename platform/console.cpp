#include "platform/console.h"

#include <unistd.h>

namespace dalvon {

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace dalvon

#pragma once

#include <cstdio>
#include <memory>

#include "form/front_end.h"

namespace dalvon {

// The window on a terminal, for machines without a display and for scripts. Prints the window
// caption and the option, then reads one command a line from `in`: ok, cancel, close, toggle
// (the check box), help (the help button), frame (the recipe frame). Message boxes use the
// terminal dialogs over the same streams. At the end of input an open message box takes its
// default button and the window ends as a confirmed cancel: it never waits for more.
std::unique_ptr<FrontEnd> makeTerminalFrontEnd(std::FILE* in, std::FILE* out);

}  // namespace dalvon

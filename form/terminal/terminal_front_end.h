#pragma once

#include <cstdio>
#include <memory>

#include "form/front_end.h"

namespace dalvon {

// The window on a terminal, for machines without a display and for scripts. Prints the window
// caption and the option to `out` (the program passes standard error, so standard output stays
// free), then reads one command a line from `in`: ok, cancel, close, toggle (the check box),
// info (the help button), frame (the recipe frame), and help, which describes them. Message
// boxes use the terminal dialogs over the same streams. After "Working ..." it says how the
// update ended: finished, with the rows of PRESET_DEFS and the time taken, the backup of the
// previous component database, how many previous rows kept their limits (standalone start) and
// the `dalvon-db diff` command that lists what changed; or ended early. At
// the end of input an open message box takes its default button and the window ends as a
// confirmed cancel: it never waits for more.
std::unique_ptr<FrontEnd> makeTerminalFrontEnd(std::FILE* in, std::FILE* out);

}  // namespace dalvon

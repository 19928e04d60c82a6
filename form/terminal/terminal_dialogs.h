#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/dialogs.h"

namespace dalvon {

// The word for an icon in terminal output: "critical", "exclamation", "information", "".
std::string iconWord(DialogIcon icon);

// One line of input without its line end (a CR before the LF is dropped too); nothing at the
// end of input.
std::optional<std::string> readTerminalLine(std::FILE* in);

// Message boxes on a terminal: prints title, icon word and text to `out`, reads the answer from
// `in` ("y"/"yes", "n"/"no", empty line for the default). At the end of input the default
// button.
std::unique_ptr<Dialogs> makeTerminalDialogs(std::FILE* in, std::FILE* out);

}  // namespace dalvon

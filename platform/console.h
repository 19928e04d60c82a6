#pragma once

namespace dalvon {

// Whether standard input is a terminal a person can type at (not a file, a pipe or /dev/null).
bool standardInputIsTerminal();

}  // namespace dalvon

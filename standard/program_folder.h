#pragma once

#include <string>

namespace dalvon {

struct Runtime;

// The component name: the executable name less its last seven characters ("_Config").
std::string GetOCXName(Runtime& rt);

// The text after the last backslash of `path`.
std::string GetFileNameOnly(Runtime& rt, const std::string& path);

// The program folder with its last component removed, without a trailing backslash.
std::string GetBaseFolder(Runtime& rt);

}  // namespace dalvon

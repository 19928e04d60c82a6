#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// The pages a usage map marks, ascending. Reads both kinds: inline (a start page and a bitmap
// in the map row) and reference (bitmap pages of type 0x05). Fault 3343 when the map row, a
// bitmap page or a marked page lies outside the file. `owner` names the map in fault texts.
std::vector<uint32_t> usageMapPages(const JetFile& file, RowPointer map, const std::string& owner);

}  // namespace dalvon::jet

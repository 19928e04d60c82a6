#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace dalvon::jet {

// The bytes a Jet 4 index stores for a text value in the General (legacy) sort order, after the
// column's flag byte: the value cut to 255 characters and stripped of trailing spaces, the inline
// codes, 01, the accent codes, the codes of unprintable characters, and the closing 00; for
// descending order everything before that closing 00 is inverted (docs/jet-sort-keys.md).
// nullopt when the text holds a character Windows-1252 lacks or is no valid UTF-8.
std::optional<std::vector<uint8_t>> generalTextKey(std::string_view utf8, bool ascending);

}  // namespace dalvon::jet

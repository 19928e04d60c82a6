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
// A value with kana has the kana section after the accent codes. nullopt when the text holds a
// character jet_sort_order.h has no code for, or kana beside unprintable characters, or is no
// valid UTF-8.
std::optional<std::vector<uint8_t>> generalTextKey(std::string_view utf8, bool ascending);

// The same for a Jet 3 index in the General 97 order: one code per character, then 00. nullopt
// for a character without a code there, for descending order (no sample shows one) and for text
// that is no valid UTF-8.
std::optional<std::vector<uint8_t>> general97TextKey(std::string_view utf8, bool ascending);

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/variant.h"

namespace dalvon::jet {

// One column of an index key: its type code, direction, and for text its sort order as the
// column descriptor stores it (LCID in the low 16 bits; Jet 4: the sort version in the top byte,
// Jet 3: the code page in the high 16 bits).
struct KeyColumn {
    uint8_t type = 0;
    bool ascending = true;
    uint32_t sortOrder = 0;
};

// The bytes a Jet 4 index stores as the key of a row with `values` (one per key column), without
// the row pointer. nullopt when a value lies outside what this encoder covers.
//
// Covered: NULL of any type; Yes/No, Byte, Integer, Long, Currency, Single, Double, Date/Time,
// and Text and Memo in the "General (legacy)" sort order (LCID 1033, version 0) when every
// character is one Windows-1252 holds or one of the few others the samples show, all in both
// directions; Jet 3 text in the "General 97" order (LCID 1033, code page 1252), ascending, of
// digits and the letters the samples show (jet_sort_key.h). Not covered: other sort orders,
// GUID, Binary and Decimal keys.
std::optional<std::vector<uint8_t>> encodeIndexKey(const std::vector<KeyColumn>& columns,
                                                   const std::vector<Variant>& values);

}  // namespace dalvon::jet

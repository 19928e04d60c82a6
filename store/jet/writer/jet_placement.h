#pragma once

#include <cstdint>
#include <vector>

#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

// Where new rows of one owner go: a table's data pages or a long-value column's LVAL pages,
// with the two usage maps that list them (a map page of 0 means the owner has no such map).
struct PageTarget {
    uint32_t owner = 0;  // TDEF page, or datapage::kLongValueOwner
    RowPointer ownedMap;
    RowPointer freeMap;
    uint32_t current = 0;  // the page rows go to now, 0 until the first row
    bool searched = false;
};

// Places a row on the target's current page, or on a new page when it does not fit (the full
// page leaves the free-space map, the new one joins both maps). Returns where the row went.
RowPointer placeRow(PageSpace& space, PageTarget& target, Bytes row, uint16_t flags = 0);

// The bytes a Memo or OLE column stores for `data`: inline after the 12-byte header when it has
// at most 64 bytes and `inlineAllowed`, else in one LVAL row (up to 4076 bytes) or a chain of
// LVAL rows placed through `target`.
std::vector<uint8_t> writeLongValue(PageSpace& space, PageTarget& target, Bytes data,
                                    bool inlineAllowed);

// The LVAL rows a long-value header refers to (none for an inline value).
std::vector<RowPointer> longValueRows(const JetFile& file, Bytes header);

}  // namespace dalvon::jet

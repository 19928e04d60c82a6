#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

using IndexEntry = std::vector<uint8_t>;

// The entries of a Jet 4 index leaf page, shared prefixes expanded, in page order.
// Fault 3343 when the page is no leaf or its entry map is damaged.
std::vector<IndexEntry> readLeafEntries(const JetFile& file, uint32_t page);

// Writes `entries` (ascending) onto the leaf page without a shared prefix, keeping its links.
// False, with the page unchanged, when they take more than the page's 3616 bytes.
bool writeLeafEntries(PageSpace& space, uint32_t page, const std::vector<IndexEntry>& entries);

// Key parts, each with its ascending flag byte: a Long, and a Text in the General (legacy)
// order. textKey() throws Fault 3027 for characters whose place in that order is not known here
// (jet_sort_order.h).
std::vector<uint8_t> longKey(int32_t value);
std::vector<uint8_t> textKey(std::string_view text);
bool textKeyKnows(std::string_view text);

// A leaf entry: the key, then the row's page (3 bytes, big-endian) and row number.
IndexEntry leafEntry(std::vector<uint8_t> key, RowPointer row);
// The row a leaf entry points to.
RowPointer entryRow(const IndexEntry& entry);

}  // namespace dalvon::jet

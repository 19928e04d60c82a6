#pragma once

#include <cstdint>
#include <vector>

#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

inline constexpr size_t kMapRowLength = 69;

// An inline usage-map row covering 512 pages from `start`, no page marked.
std::vector<uint8_t> emptyInlineMap(uint32_t start);

// Marks or unmarks `page` in the table, index or long-value usage map at `map`. An inline map
// whose window (512 pages in a row of ours, more in the longer rows Access writes) cannot hold
// the page moves its window when all its pages fit in one, else it becomes a reference map
// (bitmap pages of type 0x05).
void setMapPage(PageSpace& space, RowPointer map, uint32_t page, bool marked);

// The bitmap pages of a reference map (none for an inline map), for releasing them.
std::vector<uint32_t> mapBitmapPages(const JetFile& file, RowPointer map);

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <vector>

#include "store/jet/reader/jet_index.h"
#include "store/jet/format/jet_layout.h"
#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

// True when `entries` (ascending) fit one Jet 4 index page once their shared prefix is taken out.
bool fitsIndexPage(const std::vector<IndexEntry>& entries);

// Writes `page` (number, type, table page, sibling links, tail and entries) as a Jet 4 index page:
// the entries' shared prefix stored once, the entry-end bitmap, the free-space value. The entries
// must fit (fitsIndexPage).
void writeIndexPage(PageSpace& space, const IndexPage& page);

}  // namespace dalvon::jet

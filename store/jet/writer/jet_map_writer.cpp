#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <cstring>

#include "store/jet/writer/jet_data_page.h"
#include "store/jet/reader/jet_usage_map.h"

namespace dalvon::jet {
namespace {

constexpr size_t kInlineHead = 5;  // kind and start page
constexpr size_t kReferenceEntries = 17;
constexpr uint32_t kPagesPerBitmap = (4096 - 4) * 8;

// The row's bytes inside its page, for changing.
uint8_t* mapRow(PageSpace& space, RowPointer map) {
    uint8_t* page = space.write(map.page);
    space.file().row(map);  // checks the slot
    return page + datapage::extent(page, map.row).first;
}

void setBit(uint8_t* bitmap, uint32_t index, bool on) {
    uint8_t& byte = bitmap[index / 8];
    byte = static_cast<uint8_t>(on ? byte | 1 << index % 8 : byte & ~(1 << index % 8));
}

void setReferenceBit(PageSpace& space, RowPointer map, uint32_t page, bool marked) {
    const size_t entry = page / kPagesPerBitmap;
    uint32_t bitmap = readU32(space.file(), space.file().row(map), 1 + entry * 4);
    if (bitmap == 0) {
        if (!marked)
            return;
        bitmap = space.allocate();
        uint8_t* bytes = space.write(bitmap);
        bytes[0] = 0x05;
        bytes[1] = 0x01;
        put32(mapRow(space, map) + 1 + entry * 4, bitmap);
    }
    setBit(space.write(bitmap) + 4, page % kPagesPerBitmap, marked);
}

// Rewrites an inline map as a reference map holding the same pages.
void promote(PageSpace& space, RowPointer map, const std::vector<uint32_t>& pages) {
    const size_t length = space.file().row(map).size();
    uint8_t* row = mapRow(space, map);
    std::memset(row, 0, length);
    row[0] = 1;
    for (uint32_t page : pages)
        setReferenceBit(space, map, page, true);
}

// Access also writes inline rows longer than ours, whose window is wider than 512 pages.
void setInlineBit(PageSpace& space, RowPointer map, uint32_t page, bool marked) {
    const Bytes current = space.file().row(map);
    const uint32_t start = readU32(space.file(), current, 1);
    const size_t bitmapBytes = current.size() - kInlineHead;
    const auto window = static_cast<uint32_t>(bitmapBytes * 8);
    if (page >= start && page - start < window) {
        setBit(mapRow(space, map) + kInlineHead, page - start, marked);
        return;
    }
    if (!marked)
        return;
    std::vector<uint32_t> pages = usageMapPages(space.file(), map, "a table");
    pages.push_back(page);
    const auto [low, high] = std::minmax_element(pages.begin(), pages.end());
    const uint32_t newStart = *low & ~7u;
    if (*high - newStart >= window) {
        promote(space, map, pages);
        return;
    }
    uint8_t* row = mapRow(space, map);
    put32(row + 1, newStart);
    std::memset(row + kInlineHead, 0, bitmapBytes);
    for (uint32_t each : pages)
        setBit(row + kInlineHead, each - newStart, true);
}

}  // namespace

std::vector<uint8_t> emptyInlineMap(uint32_t start) {
    std::vector<uint8_t> row(kMapRowLength, 0);
    put32(row.data() + 1, start & ~7u);
    return row;
}

void setMapPage(PageSpace& space, RowPointer map, uint32_t page, bool marked) {
    Bytes row = space.file().row(map);
    if (row.size() < kMapRowLength)
        space.file().damaged("A page map row is too short.");
    if (row[0] == 0) {
        setInlineBit(space, map, page, marked);
    } else if (row[0] == 1) {
        setReferenceBit(space, map, page, marked);
    } else {
        space.file().damaged("A page map has an unknown kind.");
    }
}

std::vector<uint32_t> mapBitmapPages(const JetFile& file, RowPointer map) {
    Bytes row = file.row(map);
    std::vector<uint32_t> pages;
    if (row.empty() || row[0] != 1)
        return pages;
    for (size_t i = 0; i < kReferenceEntries && 5 + i * 4 <= row.size(); ++i) {
        if (const uint32_t page = readU32(file, row, 1 + i * 4); page != 0)
            pages.push_back(page);
    }
    return pages;
}

}  // namespace dalvon::jet

#include "store/jet/writer/jet_data_page.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace dalvon::jet::datapage {
namespace {

constexpr size_t kSlotsStart = 14;

size_t slotsEnd(const uint8_t* page) {
    return kSlotsStart + 2 * size_t{rowCount(page)};
}

size_t lowestRowStart(const uint8_t* page) {
    size_t lowest = kPageSize;
    for (uint16_t slot = 0; slot < rowCount(page); ++slot)
        lowest = std::min<size_t>(lowest, get16(page + kSlotsStart + 2 * slot) & 0x1FFF);
    return lowest;
}

void updateFreeSpace(uint8_t* page) {
    put16(page + 2, static_cast<uint16_t>(lowestRowStart(page) - slotsEnd(page)));
}

}  // namespace

void initialise(uint8_t* page, uint32_t owner) {
    std::memset(page, 0, kPageSize);
    page[0] = 0x01;
    page[1] = 0x01;
    put16(page + 2, static_cast<uint16_t>(kPageSize - kSlotsStart));
    std::memcpy(page + 4, &owner, 4);
}

uint16_t rowCount(const uint8_t* page) {
    return get16(page + 12);
}

uint16_t freeSpace(const uint8_t* page) {
    return get16(page + 2);
}

uint32_t owner(const uint8_t* page) {
    return uint32_t{page[4]} | uint32_t{page[5]} << 8 | uint32_t{page[6]} << 16 |
           uint32_t{page[7]} << 24;
}

bool fits(const uint8_t* page, size_t length) {
    const size_t room = lowestRowStart(page) - slotsEnd(page);
    return rowCount(page) < kMaxRows && length + 2 <= room;
}

uint8_t append(uint8_t* page, Bytes row, uint16_t flags) {
    const uint16_t slot = rowCount(page);
    const size_t start = lowestRowStart(page) - row.size();
    std::memcpy(page + start, row.data(), row.size());
    put16(page + kSlotsStart + 2 * size_t{slot}, static_cast<uint16_t>(start | flags));
    put16(page + 12, static_cast<uint16_t>(slot + 1));
    updateFreeSpace(page);
    return static_cast<uint8_t>(slot);
}

std::pair<size_t, size_t> extent(const uint8_t* page, uint16_t slot) {
    const size_t start = get16(page + kSlotsStart + 2 * size_t{slot}) & 0x1FFF;
    const size_t end =
        slot == 0 ? kPageSize : get16(page + kSlotsStart + 2 * (size_t{slot} - 1)) & 0x1FFF;
    return {start, std::max(start, end)};
}

uint16_t flags(const uint8_t* page, uint16_t slot) {
    return get16(page + kSlotsStart + 2 * size_t{slot}) & 0xE000;
}

void setFlags(uint8_t* page, uint16_t slot, uint16_t flags) {
    uint8_t* at = page + kSlotsStart + 2 * size_t{slot};
    put16(at, static_cast<uint16_t>((get16(at) & 0x1FFF) | flags));
}

bool replace(uint8_t* page, uint16_t slot, Bytes row) {
    const uint16_t count = rowCount(page);
    std::vector<std::vector<uint8_t>> rows(count);
    size_t total = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const auto [start, end] = extent(page, i);
        rows[i] = i == slot ? std::vector<uint8_t>(row.begin(), row.end())
                            : std::vector<uint8_t>(page + start, page + end);
        total += rows[i].size();
    }
    if (slotsEnd(page) + total > kPageSize)
        return false;
    size_t top = kPageSize;
    for (uint16_t i = 0; i < count; ++i) {
        top -= rows[i].size();
        std::memcpy(page + top, rows[i].data(), rows[i].size());
        put16(page + kSlotsStart + 2 * size_t{i}, static_cast<uint16_t>(top | flags(page, i)));
    }
    updateFreeSpace(page);
    return true;
}

}  // namespace dalvon::jet::datapage

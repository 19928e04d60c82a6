#include "store/jet/writer/jet_index_page_writer.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <cstring>

namespace dalvon::jet {
namespace {

// The bytes every entry shares with the first; each entry keeps at least one byte of its own, as
// an empty stored entry could not be told apart in the end bitmap.
size_t sharedPrefix(const std::vector<IndexEntry>& entries) {
    if (entries.size() < 2)
        return 0;
    const IndexEntry& first = entries.front();
    size_t prefix = first.size() - 1;
    for (const IndexEntry& entry : entries) {
        const auto [a, b] = std::mismatch(first.begin(), first.end(), entry.begin(), entry.end());
        prefix = std::min({prefix, static_cast<size_t>(a - first.begin()), entry.size() - 1});
    }
    return prefix;
}

size_t storedSize(const std::vector<IndexEntry>& entries, size_t prefix) {
    size_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i)
        total += entries[i].size() - (i == 0 ? 0 : prefix);
    return total;
}

void putU32(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, 4);
}

}  // namespace

bool fitsIndexPage(const std::vector<IndexEntry>& entries) {
    return storedSize(entries, sharedPrefix(entries)) <= kIndexEntryRoom;
}

void writeIndexPage(PageSpace& space, const IndexPage& page) {
    const size_t prefix = sharedPrefix(page.entries);
    uint8_t* bytes = space.write(page.number);
    std::memset(bytes, 0, kPageSize);
    bytes[0] = page.type;
    bytes[1] = 0x01;
    putU32(bytes + 4, page.tablePage);
    putU32(bytes + 12, page.previous);
    putU32(bytes + 16, page.next);
    putU32(bytes + 20, page.tail);
    bytes[24] = static_cast<uint8_t>(prefix);
    bytes[25] = static_cast<uint8_t>(prefix >> 8);
    size_t at = 0;
    for (size_t i = 0; i < page.entries.size(); ++i) {
        const IndexEntry& entry = page.entries[i];
        const size_t skip = i == 0 ? 0 : prefix;
        std::memcpy(bytes + kIndexEntriesStart + at, entry.data() + skip, entry.size() - skip);
        at += entry.size() - skip;
        bytes[kIndexBitmapStart + at / 8] |= static_cast<uint8_t>(1 << at % 8);
    }
    const size_t free = kIndexEntryRoom - at;
    bytes[2] = static_cast<uint8_t>(free);
    bytes[3] = static_cast<uint8_t>(free >> 8);
}

}  // namespace dalvon::jet

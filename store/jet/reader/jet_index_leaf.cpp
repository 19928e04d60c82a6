#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/format/jet_layout.h"

#include <cstring>

#include "store/faults.h"
#include "store/jet/format/jet_sort_key.h"

namespace dalvon::jet {
namespace {

constexpr uint8_t kLeafPage = 0x04;
constexpr uint8_t kAscending = 0x7F;

}  // namespace

std::vector<IndexEntry> readLeafEntries(const JetFile& file, uint32_t page) {
    Bytes bytes = file.page(page, kLeafPage, "an index leaf");
    const size_t prefixLength = readU16(file, bytes, 24);
    std::vector<IndexEntry> entries;
    size_t start = 0;
    for (size_t bit = 0; bit < kIndexEntryRoom; ++bit) {
        if ((bytes[kIndexBitmapStart + bit / 8] >> bit % 8 & 1) == 0)
            continue;
        if (bit <= start)
            file.damaged("An index page has an empty entry.");
        IndexEntry entry;
        if (!entries.empty()) {
            if (prefixLength > entries.front().size())
                file.damaged("An index page's shared prefix is longer than its first entry.");
            entry.assign(entries.front().begin(),
                         entries.front().begin() + static_cast<long>(prefixLength));
        }
        entry.insert(entry.end(), bytes.begin() + static_cast<long>(kIndexEntriesStart + start),
                     bytes.begin() + static_cast<long>(kIndexEntriesStart + bit));
        entries.push_back(std::move(entry));
        start = bit;
    }
    return entries;
}

bool writeLeafEntries(PageSpace& space, uint32_t page, const std::vector<IndexEntry>& entries) {
    size_t total = 0;
    for (const auto& entry : entries)
        total += entry.size();
    if (total > kIndexEntryRoom)
        return false;
    uint8_t* bytes = space.write(page);
    std::memset(bytes + kIndexBitmapStart, 0, kPageSize - kIndexBitmapStart);
    bytes[24] = 0;
    bytes[25] = 0;
    size_t at = 0;
    for (const auto& entry : entries) {
        std::memcpy(bytes + kIndexEntriesStart + at, entry.data(), entry.size());
        at += entry.size();
        bytes[kIndexBitmapStart + at / 8] |= static_cast<uint8_t>(1 << at % 8);
    }
    const size_t free = kIndexEntryRoom - at;
    bytes[2] = static_cast<uint8_t>(free);
    bytes[3] = static_cast<uint8_t>(free >> 8);
    return true;
}

std::vector<uint8_t> longKey(int32_t value) {
    const uint32_t flipped = static_cast<uint32_t>(value) ^ 0x80000000u;
    return {kAscending, static_cast<uint8_t>(flipped >> 24), static_cast<uint8_t>(flipped >> 16),
            static_cast<uint8_t>(flipped >> 8), static_cast<uint8_t>(flipped)};
}

bool textKeyKnows(std::string_view text) {
    return generalTextKey(text, true).has_value();
}

std::vector<uint8_t> textKey(std::string_view text) {
    const auto codes = generalTextKey(text, true);
    if (!codes) {
        throw faults::readOnlyDatabase(" (The name '" + std::string(text) +
                                       "' has characters whose place in the catalog's sort "
                                       "order this program does not know.)");
    }
    std::vector<uint8_t> key = std::move(*codes);
    key.insert(key.begin(), kAscending);
    return key;
}

IndexEntry leafEntry(std::vector<uint8_t> key, RowPointer row) {
    key.push_back(static_cast<uint8_t>(row.page >> 16));
    key.push_back(static_cast<uint8_t>(row.page >> 8));
    key.push_back(static_cast<uint8_t>(row.page));
    key.push_back(row.row);
    return key;
}

RowPointer entryRow(const IndexEntry& entry) {
    const size_t n = entry.size();
    if (n < 4)
        return {};
    return {uint32_t{entry[n - 4]} << 16 | uint32_t{entry[n - 3]} << 8 | entry[n - 2],
            entry[n - 1]};
}

}  // namespace dalvon::jet

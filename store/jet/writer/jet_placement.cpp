#include "store/jet/writer/jet_placement.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <cstring>

#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/reader/jet_usage_map.h"

namespace dalvon::jet {
namespace {

constexpr size_t kInlineLimit = 64;
constexpr size_t kOneRowLimit = 4076;
constexpr size_t kChainPiece = 4072;
constexpr uint32_t kInlineKind = 0x80000000;
constexpr uint32_t kOneRowKind = 0x40000000;

uint32_t pointerValue(RowPointer at) {
    return at.page << 8 | at.row;
}

// The last page of the owner that is in both of its maps, or 0.
uint32_t findPageWithRoom(const PageSpace& space, const PageTarget& target) {
    if (target.ownedMap.page == 0 || target.freeMap.page == 0)
        return 0;
    const auto owned = usageMapPages(space.file(), target.ownedMap, "a table");
    const auto free = usageMapPages(space.file(), target.freeMap, "a table");
    for (auto page = free.rbegin(); page != free.rend(); ++page) {
        Bytes bytes = space.read(*page);
        if (bytes[0] == 0x01 && datapage::owner(bytes.data()) == target.owner &&
            std::binary_search(owned.begin(), owned.end(), *page)) {
            return *page;
        }
    }
    return 0;
}

uint32_t newPage(PageSpace& space, PageTarget& target) {
    if (target.current != 0 && target.freeMap.page != 0)
        setMapPage(space, target.freeMap, target.current, false);
    const uint32_t page = space.allocate();
    datapage::initialise(space.write(page), target.owner);
    if (target.ownedMap.page != 0)
        setMapPage(space, target.ownedMap, page, true);
    if (target.freeMap.page != 0)
        setMapPage(space, target.freeMap, page, true);
    return page;
}

}  // namespace

RowPointer placeRow(PageSpace& space, PageTarget& target, Bytes row, uint16_t flags) {
    if (!target.searched) {
        target.current = findPageWithRoom(space, target);
        target.searched = true;
    }
    if (target.current == 0 || !datapage::fits(space.read(target.current).data(), row.size()))
        target.current = newPage(space, target);
    const uint8_t slot = datapage::append(space.write(target.current), row, flags);
    return {target.current, slot};
}

std::vector<uint8_t> writeLongValue(PageSpace& space, PageTarget& target, Bytes data,
                                    bool inlineAllowed) {
    std::vector<uint8_t> header(12, 0);
    const auto length = static_cast<uint32_t>(data.size());
    if (inlineAllowed && data.size() <= kInlineLimit) {
        put32(header.data(), length | kInlineKind);
        header.insert(header.end(), data.begin(), data.end());
        return header;
    }
    if (data.size() <= kOneRowLimit) {
        put32(header.data(), length | kOneRowKind);
        put32(header.data() + 4, pointerValue(placeRow(space, target, data)));
        return header;
    }
    // The pieces are written last first, so that each knows where the next one lies.
    RowPointer next{};
    const size_t pieces = (data.size() + kChainPiece - 1) / kChainPiece;
    for (size_t piece = pieces; piece-- > 0;) {
        const size_t start = piece * kChainPiece;
        const size_t end = std::min(data.size(), start + kChainPiece);
        std::vector<uint8_t> row(4);
        put32(row.data(), next.page == 0 ? 0 : pointerValue(next));
        row.insert(row.end(), data.begin() + static_cast<long>(start),
                   data.begin() + static_cast<long>(end));
        next = placeRow(space, target, row);
    }
    put32(header.data(), length);
    put32(header.data() + 4, pointerValue(next));
    return header;
}

std::vector<RowPointer> longValueRows(const JetFile& file, Bytes header) {
    std::vector<RowPointer> rows;
    if (header.size() < 12)
        return rows;
    const uint32_t kind = readU32(file, header, 0) >> 30;
    if (kind == 2)
        return rows;
    RowPointer at = readRowPointer(file, header, 4);
    rows.push_back(at);
    while (kind == 0 && rows.size() < 600000) {
        at = readRowPointer(file, file.row(at), 0);
        if (at.page == 0)
            break;
        rows.push_back(at);
    }
    return rows;
}

}  // namespace dalvon::jet

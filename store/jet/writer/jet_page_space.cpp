#include "store/jet/writer/jet_page_space.h"

#include <algorithm>
#include <cstring>

#include "store/faults.h"
#include "store/jet/writer/jet_data_page.h"

namespace dalvon::jet {
namespace {

constexpr RowPointer kGlobalMap{1, 0};
constexpr size_t kMapHeader = 5;  // type byte and start page

}  // namespace

PageSpace::PageSpace(JetFile& file) : m_file(file), m_pagesAtBegin(file.pageCount()) {
    Bytes row = m_file.row(kGlobalMap);
    if (row.size() < kMapHeader || row[0] != 0 || readU32(m_file, row, 1) != 0) {
        throw faults::readOnlyDatabase(
            " ('" + m_file.displayPath() +
            "': its global page map is not of the kind this program writes.)");
    }
}

uint8_t* PageSpace::write(uint32_t page) {
    uint8_t* bytes = m_file.mutablePage(page);
    if (page < m_pagesAtBegin && !m_journal.contains(page))
        m_journal.emplace(page, std::vector<uint8_t>(bytes, bytes + m_file.pageSize()));
    if (m_dirty.insert(page).second)
        m_dirtiedSinceBegin.push_back(page);
    return bytes;
}

Bytes PageSpace::globalBitmap() const {
    return m_file.row(kGlobalMap).subspan(kMapHeader);
}

bool PageSpace::isFree(uint32_t page) const {
    Bytes bitmap = globalBitmap();
    return page / 8 < bitmap.size() && (bitmap[page / 8] >> page % 8 & 1);
}

uint32_t PageSpace::allocate() {
    uint32_t page = m_searchFrom;
    while (page < m_file.pageCount() && !isFree(page))
        ++page;
    m_searchFrom = page + 1;
    if (page >= m_file.pageCount()) {
        if (m_file.pageCount() >= (1u << 19))
            throw faults::diskFull({});
        page = m_file.appendPage();
    }
    std::memset(write(page), 0, m_file.pageSize());
    setFree(page, false);
    return page;
}

void PageSpace::release(uint32_t page) {
    std::memset(write(page), 0, 4);
    setFree(page, true);
    m_searchFrom = std::min(m_searchFrom, page);
}

void PageSpace::setFree(uint32_t page, bool free) {
    if (page / 8 >= globalBitmap().size())
        growGlobalMap(page);
    uint8_t* map = write(kGlobalMap.page);
    const size_t start = datapage::extent(map, kGlobalMap.row).first + kMapHeader;
    uint8_t& byte = map[start + page / 8];
    byte = static_cast<uint8_t>(free ? byte | 1 << page % 8 : byte & ~(1 << page % 8));
}

// The map row grows (as Access grows it) in steps of 32 bytes; pages it newly covers are in use
// when they lie inside the file and free beyond its end.
void PageSpace::growGlobalMap(uint32_t page) {
    Bytes old = m_file.row(kGlobalMap);
    std::vector<uint8_t> row(old.begin(), old.end());
    const size_t oldBits = (row.size() - kMapHeader) * 8;
    row.resize(kMapHeader + (page / 8 / 32 + 1) * 32, 0);
    for (size_t bit = oldBits; bit < (row.size() - kMapHeader) * 8; ++bit) {
        if (bit >= m_file.pageCount())
            row[kMapHeader + bit / 8] |= static_cast<uint8_t>(1 << bit % 8);
    }
    if (!datapage::replace(write(kGlobalMap.page), kGlobalMap.row, row)) {
        throw faults::diskFull(" (The page map of '" + m_file.displayPath() +
                               "' cannot grow further.)");
    }
}

void PageSpace::begin() {
    m_journal.clear();
    m_dirtiedSinceBegin.clear();
    m_pagesAtBegin = m_file.pageCount();
}

void PageSpace::rollback() {
    for (const auto& [page, bytes] : m_journal)
        std::memcpy(m_file.mutablePage(page), bytes.data(), bytes.size());
    m_file.truncatePages(m_pagesAtBegin);
    m_journal.clear();
    for (uint32_t page : m_dirtiedSinceBegin)
        m_dirty.erase(page);
    m_dirtiedSinceBegin.clear();
    m_searchFrom = 3;
}

}  // namespace dalvon::jet

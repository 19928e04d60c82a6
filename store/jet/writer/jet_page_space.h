#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// The pages of a Jet 4 file image as the writer changes them: which pages changed since the
// last commit, page allocation through the global usage map (page 1, row 0, where a set bit
// marks a free page), and a journal that undoes a failed operation.
class PageSpace {
public:
    // Fault 3027 when the global map is not the inline map starting at page 0.
    explicit PageSpace(JetFile& file);

    const JetFile& file() const { return m_file; }
    Bytes read(uint32_t page) const { return m_file.page(page); }
    // The page for changing; it is written at the next commit. The pointer is valid until the
    // next allocate().
    uint8_t* write(uint32_t page);
    // A page for a new purpose, zero-filled: a page the global map marks free, else a new page
    // at the end of the file. Its global bit is cleared.
    uint32_t allocate();
    // Gives a page back: its global bit is set and its first 4 bytes are zeroed.
    void release(uint32_t page);
    bool isFree(uint32_t page) const;

    // Starts an operation: the pages it changes are remembered so that rollback() can restore
    // them (and drop pages it appended).
    void begin();
    void rollback();

    const std::set<uint32_t>& dirtyPages() const { return m_dirty; }
    void markClean() { m_dirty.clear(); }

private:
    Bytes globalBitmap() const;
    void setFree(uint32_t page, bool free);
    void growGlobalMap(uint32_t page);

    JetFile& m_file;
    std::set<uint32_t> m_dirty;
    std::map<uint32_t, std::vector<uint8_t>> m_journal;
    std::vector<uint32_t> m_dirtiedSinceBegin;
    uint32_t m_pagesAtBegin = 0;
    uint32_t m_searchFrom = 3;
};

}  // namespace dalvon::jet

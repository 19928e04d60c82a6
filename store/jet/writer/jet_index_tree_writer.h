#pragma once

#include <cstdint>
#include <vector>

#include "store/jet/reader/jet_index.h"
#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

// Changes one Jet 4 index B-tree in place: leaf entries in and out, pages split at any level, a
// new level under the root (whose page number the definition holds and which never moves),
// emptied pages unlinked and released, pages left under a third full merged into a neighbour,
// a root left with one child taking its place, the index's page map kept. Node pages hold an entry
// per child but the last, which only the tail field names; pages are linked to their neighbours
// across each level. Fault 3343 when the tree is damaged.
class IndexTreeWriter {
public:
    IndexTreeWriter(PageSpace& space, uint32_t tablePage, RowPointer map, uint32_t root);

    // Adds a leaf entry (key bytes, 3-byte big-endian page, row byte).
    void insert(const IndexEntry& entry);
    // Removes the leaf entry; false when the tree lacks it.
    bool remove(const IndexEntry& entry);
    // The rows whose entries carry exactly `key` (the entry without its row pointer).
    std::vector<RowPointer> rowsWithKey(const std::vector<uint8_t>& key) const;

private:
    // One page on the way from the root: the page, its items (leaf entries, or for a node one
    // entry per child, the tail's included) and, on node pages, the child taken.
    struct Step {
        IndexPage page;
        std::vector<IndexEntry> items;
        size_t slot = 0;
    };
    using Path = std::vector<Step>;

    Step readStep(uint32_t number) const;
    IndexEntry lastLeafEntry(uint32_t number) const;
    Path descend(const IndexEntry& probe) const;
    void store(Path& path, size_t level, bool lastChanged);
    void splitRoot(Path& path);
    void split(Path& path, size_t level, bool lastChanged);
    void updateParent(Path& path, size_t level, bool lastChanged);
    void removeFrom(Path& path, size_t level);
    void shrink(Path& path, size_t level, bool lastChanged);
    bool mergeIntoNeighbour(Path& path, size_t level);
    void writeStep(const Step& step);
    void relink(uint32_t page, bool next, uint32_t target);
    uint32_t allocate();
    void release(uint32_t page);

    PageSpace& m_space;
    uint32_t m_tablePage;
    RowPointer m_map;
    uint32_t m_root;
};

}  // namespace dalvon::jet

#include "store/jet/writer/jet_index_tree_writer.h"

#include <algorithm>
#include <cstring>

#include "store/jet/writer/jet_index_page_writer.h"
#include "store/jet/writer/jet_map_writer.h"

namespace dalvon::jet {
namespace {

// Deeper trees cannot occur in a 2 GB file; stops a damaged tree from looping.
constexpr size_t kMaxDepth = 16;

IndexEntry nodeItem(IndexEntry last, uint32_t child) {
    for (int shift = 24; shift >= 0; shift -= 8)
        last.push_back(static_cast<uint8_t>(child >> shift));
    return last;
}

// The leaf entry a node item stands for: the item without its child pointer.
IndexEntry keyOf(const IndexEntry& item, bool leaf) {
    return leaf ? item : IndexEntry(item.begin(), item.end() - 4);
}

// The items a page stores: a node page's last child is named by its tail field only.
std::vector<IndexEntry> storedItems(const std::vector<IndexEntry>& items, bool leaf) {
    return leaf ? items : std::vector<IndexEntry>(items.begin(), items.end() - 1);
}

// A page left under a third full is merged with a neighbour that can take its items, so that
// deletes do not leave a tree of nearly empty pages.
bool underfull(const std::vector<IndexEntry>& items) {
    size_t bytes = 0;
    for (const IndexEntry& item : items)
        bytes += item.size();
    return bytes < kIndexEntryRoom / 3;
}

bool keyEquals(const IndexEntry& entry, const std::vector<uint8_t>& key) {
    return entry.size() == key.size() + 4 && std::equal(key.begin(), key.end(), entry.begin());
}

}  // namespace

IndexTreeWriter::IndexTreeWriter(PageSpace& space, uint32_t tablePage, RowPointer map,
                                 uint32_t root)
    : m_space(space), m_tablePage(tablePage), m_map(map), m_root(root) {}

IndexTreeWriter::Step IndexTreeWriter::readStep(uint32_t number) const {
    Step step{readIndexPage(m_space.file(), number), {}, 0};
    step.items = step.page.entries;
    if (step.page.isLeaf())
        return step;
    for (const IndexEntry& item : step.items) {
        if (item.size() < 5)
            m_space.file().damaged("An index node entry is too short for its child pointer.");
    }
    const bool tailListed = !step.items.empty() && childOf(step.items.back()) == step.page.tail;
    if (step.page.tail != 0 && !tailListed)
        step.items.push_back(nodeItem(lastLeafEntry(step.page.tail), step.page.tail));
    if (step.items.empty())
        m_space.file().damaged("An index node page has no children.");
    return step;
}

IndexEntry IndexTreeWriter::lastLeafEntry(uint32_t number) const {
    for (size_t depth = 0; depth < kMaxDepth; ++depth) {
        const IndexPage page = readIndexPage(m_space.file(), number);
        if (page.isLeaf()) {
            if (page.entries.empty())
                m_space.file().damaged("An index leaf below a node page is empty.");
            return page.entries.back();
        }
        number = page.tail != 0 ? page.tail : childOf(page.entries.back());
    }
    m_space.file().damaged("An index tree is deeper than a file allows.");
}

IndexTreeWriter::Path IndexTreeWriter::descend(const IndexEntry& probe) const {
    Path path{readStep(m_root)};
    while (!path.back().page.isLeaf()) {
        if (path.size() > kMaxDepth)
            m_space.file().damaged("An index tree is deeper than a file allows.");
        Step& step = path.back();
        const auto at =
            std::find_if(step.items.begin(), step.items.end() - 1,
                         [&](const IndexEntry& item) { return !(keyOf(item, false) < probe); });
        step.slot = static_cast<size_t>(at - step.items.begin());
        path.push_back(readStep(childOf(step.items[step.slot])));
    }
    return path;
}

void IndexTreeWriter::writeStep(const Step& step) {
    IndexPage page = step.page;
    page.tablePage = m_tablePage;
    page.entries = step.items;
    page.tail = 0;
    if (!page.isLeaf()) {
        page.tail = childOf(page.entries.back());
        page.entries.pop_back();
    }
    writeIndexPage(m_space, page);
}

uint32_t IndexTreeWriter::allocate() {
    const uint32_t page = m_space.allocate();
    setMapPage(m_space, m_map, page, true);
    return page;
}

void IndexTreeWriter::release(uint32_t page) {
    setMapPage(m_space, m_map, page, false);
    m_space.release(page);
}

// Points the `next` (or previous) link of `page` at `target`.
void IndexTreeWriter::relink(uint32_t page, bool next, uint32_t target) {
    if (page == 0)
        return;
    std::memcpy(m_space.write(page) + (next ? 16 : 12), &target, 4);
}

void IndexTreeWriter::store(Path& path, size_t level, bool lastChanged) {
    Step& step = path[level];
    if (!fitsIndexPage(storedItems(step.items, step.page.isLeaf()))) {
        if (level == 0)
            splitRoot(path);
        else
            split(path, level, lastChanged);
        return;
    }
    writeStep(step);
    if (lastChanged && level > 0)
        updateParent(path, level, true);
}

// The parent's item for the child at `level` takes the child's new last entry.
void IndexTreeWriter::updateParent(Path& path, size_t level, bool lastChanged) {
    Step& parent = path[level - 1];
    const Step& child = path[level];
    parent.items[parent.slot] =
        nodeItem(keyOf(child.items.back(), child.page.isLeaf()), child.page.number);
    store(path, level - 1, lastChanged && parent.slot + 1 == parent.items.size());
}

// The root keeps its page number: its items move to two new pages and it becomes their parent.
void IndexTreeWriter::splitRoot(Path& path) {
    Step& root = path[0];
    const size_t half = root.items.size() / 2;
    Step left{root.page, {root.items.begin(), root.items.begin() + half}, 0};
    Step right{root.page, {root.items.begin() + half, root.items.end()}, 0};
    left.page.number = allocate();
    right.page.number = allocate();
    left.page.previous = 0;
    left.page.next = right.page.number;
    right.page.previous = left.page.number;
    right.page.next = 0;
    writeStep(left);
    writeStep(right);
    const bool leaf = root.page.isLeaf();
    root.page.type = kIndexNodePage;
    root.items = {nodeItem(keyOf(left.items.back(), leaf), left.page.number),
                  nodeItem(keyOf(right.items.back(), leaf), right.page.number)};
    writeStep(root);
}

// The first half of the page's items moves to a new page linked before it.
void IndexTreeWriter::split(Path& path, size_t level, bool lastChanged) {
    Step& step = path[level];
    const size_t half = step.items.size() / 2;
    Step left{step.page, {step.items.begin(), step.items.begin() + half}, 0};
    step.items.erase(step.items.begin(), step.items.begin() + half);
    left.page.number = allocate();
    left.page.next = step.page.number;
    relink(left.page.previous, true, left.page.number);
    step.page.previous = left.page.number;
    writeStep(left);
    writeStep(step);
    const bool leaf = step.page.isLeaf();
    Step& parent = path[level - 1];
    parent.items[parent.slot] = nodeItem(keyOf(step.items.back(), leaf), step.page.number);
    parent.items.insert(parent.items.begin() + static_cast<long>(parent.slot),
                        nodeItem(keyOf(left.items.back(), leaf), left.page.number));
    ++parent.slot;
    store(path, level - 1, lastChanged && parent.slot + 1 == parent.items.size());
}

void IndexTreeWriter::insert(const IndexEntry& entry) {
    Path path = descend(entry);
    Step& leaf = path.back();
    const auto at = std::lower_bound(leaf.items.begin(), leaf.items.end(), entry);
    const bool last = at == leaf.items.end();
    leaf.items.insert(at, entry);
    store(path, path.size() - 1, last);
}

// After items left the page at `level`: an underfull page below the root merges into a
// neighbour under the same parent, and a root node left with one child takes that child's place
// (the root keeps its page number), so the tree loses a level.
void IndexTreeWriter::shrink(Path& path, size_t level, bool lastChanged) {
    Step& step = path[level];
    if (level > 0 && underfull(step.items) && mergeIntoNeighbour(path, level))
        return;
    if (level == 0 && !step.page.isLeaf() && step.items.size() == 1) {
        const Step child = readStep(childOf(step.items[0]));
        release(child.page.number);
        step.page.type = child.page.type;
        step.items = child.items;
        writeStep(step);
        shrink(path, 0, false);
        return;
    }
    store(path, level, lastChanged);
}

// Moves the items of the page at `level` into its left or right neighbour under the same parent
// when they fit there, and takes the page out; false, with nothing changed, when neither has
// room.
bool IndexTreeWriter::mergeIntoNeighbour(Path& path, size_t level) {
    Step& step = path[level];
    Step& parent = path[level - 1];
    const bool leaf = step.page.isLeaf();
    const bool wasLast = parent.slot + 1 == parent.items.size();
    if (parent.slot > 0) {
        Step left = readStep(childOf(parent.items[parent.slot - 1]));
        std::vector<IndexEntry> items = left.items;
        items.insert(items.end(), step.items.begin(), step.items.end());
        if (fitsIndexPage(storedItems(items, leaf))) {
            left.items = std::move(items);
            left.page.next = step.page.next;
            relink(step.page.next, false, left.page.number);
            writeStep(left);
            release(step.page.number);
            parent.items.erase(parent.items.begin() + static_cast<long>(parent.slot));
            --parent.slot;
            parent.items[parent.slot] = nodeItem(keyOf(left.items.back(), leaf), left.page.number);
            shrink(path, level - 1, wasLast);
            return true;
        }
    }
    if (!wasLast) {
        Step right = readStep(childOf(parent.items[parent.slot + 1]));
        std::vector<IndexEntry> items = step.items;
        items.insert(items.end(), right.items.begin(), right.items.end());
        if (fitsIndexPage(storedItems(items, leaf))) {
            right.items = std::move(items);
            right.page.previous = step.page.previous;
            relink(step.page.previous, true, right.page.number);
            writeStep(right);
            release(step.page.number);
            parent.items.erase(parent.items.begin() + static_cast<long>(parent.slot));
            shrink(path, level - 1, false);
            return true;
        }
    }
    return false;
}

// Takes the (now empty) page at `level` out of its level and its parent.
void IndexTreeWriter::removeFrom(Path& path, size_t level) {
    const Step& step = path[level];
    relink(step.page.previous, true, step.page.next);
    relink(step.page.next, false, step.page.previous);
    release(step.page.number);
    Step& parent = path[level - 1];
    const bool wasLast = parent.slot + 1 == parent.items.size();
    parent.items.erase(parent.items.begin() + static_cast<long>(parent.slot));
    if (parent.items.empty() && level - 1 > 0) {
        removeFrom(path, level - 1);
        return;
    }
    if (parent.items.empty()) {
        parent.page.type = kIndexLeafPage;  // the root of an emptied index is an empty leaf
        writeStep(parent);
        return;
    }
    parent.slot = std::min(parent.slot, parent.items.size() - 1);
    shrink(path, level - 1, wasLast);
}

bool IndexTreeWriter::remove(const IndexEntry& entry) {
    Path path = descend(entry);
    Step& leaf = path.back();
    const auto at = std::lower_bound(leaf.items.begin(), leaf.items.end(), entry);
    if (at == leaf.items.end() || *at != entry)
        return false;
    const bool last = at + 1 == leaf.items.end();
    leaf.items.erase(at);
    if (leaf.items.empty() && path.size() > 1)
        removeFrom(path, path.size() - 1);
    else
        shrink(path, path.size() - 1, last && !leaf.items.empty());
    return true;
}

std::vector<RowPointer> IndexTreeWriter::rowsWithKey(const std::vector<uint8_t>& key) const {
    IndexEntry probe = key;
    probe.insert(probe.end(), 4, 0);
    const Path path = descend(probe);
    std::vector<RowPointer> rows;
    IndexPage page = path.back().page;
    auto at = std::lower_bound(page.entries.begin(), page.entries.end(), probe);
    for (size_t pages = 0; pages < m_space.file().pageCount(); ++pages) {
        for (; at != page.entries.end(); ++at) {
            if (!keyEquals(*at, key))
                return rows;
            const size_t n = at->size();
            rows.push_back(
                {uint32_t{(*at)[n - 4]} << 16 | uint32_t{(*at)[n - 3]} << 8 | (*at)[n - 2],
                 (*at)[n - 1]});
        }
        if (page.next == 0)
            break;
        page = readIndexPage(m_space.file(), page.next);
        at = page.entries.begin();
    }
    return rows;
}

}  // namespace dalvon::jet

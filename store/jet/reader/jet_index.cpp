#include "store/jet/reader/jet_index.h"

#include <set>

#include "platform/fault.h"

namespace dalvon::jet {
namespace {

// Positions on an index page; Jet 3 pages are smaller and lack the field at 8.
struct IndexLayout {
    size_t previous, next, tail, prefix, prefixWidth, bitmap, entries;
};
constexpr IndexLayout kJet4 = {12, 16, 20, 24, 2, 0x1B, 0x1E0};
constexpr IndexLayout kJet3 = {8, 12, 16, 20, 1, 0x16, 0xF8};

// Deeper trees than this cannot occur in a 2 GB file; stops a damaged tree from recursing away.
constexpr int kMaxDepth = 16;

std::vector<IndexEntry> readEntries(const JetFile& file, Bytes page, const IndexLayout& at,
                                    uint16_t& usedEnd) {
    const size_t prefix =
        at.prefixWidth == 2 ? readU16(file, page, at.prefix) : readU8(file, page, at.prefix);
    Bytes bitmap = readRange(file, page, at.bitmap, at.entries - at.bitmap);
    std::vector<IndexEntry> entries;
    size_t start = 0;
    for (size_t bit = 0; bit < bitmap.size() * 8; ++bit) {
        if ((bitmap[bit / 8] >> bit % 8 & 1) == 0)
            continue;
        Bytes stored = readRange(file, page, at.entries + start, bit - start);
        IndexEntry entry;
        if (!entries.empty()) {
            if (prefix > entries.front().size())
                file.damaged("An index entry's shared prefix is longer than the first entry.");
            entry.assign(entries.front().begin(), entries.front().begin() + prefix);
        }
        entry.insert(entry.end(), stored.begin(), stored.end());
        entries.push_back(std::move(entry));
        start = bit;
    }
    usedEnd = static_cast<uint16_t>(at.entries + start);
    return entries;
}

class TreeReader {
public:
    TreeReader(const JetFile& file, std::string label) : m_file(file), m_label(std::move(label)) {}

    IndexTree read(uint32_t root) {
        visit(root, 0);
        checkLeafLinks();
        return std::move(m_tree);
    }

private:
    void problem(uint32_t page, const std::string& what) {
        m_tree.problems.push_back(m_label + ", page " + std::to_string(page) + ": " + what);
    }

    // Reads the subtree under `number`; false when it could not be read.
    bool visit(uint32_t number, int depth) {
        if (depth > kMaxDepth || !m_seen.insert(number).second) {
            problem(number, "the index tree reaches this page twice");
            return false;
        }
        IndexPage page;
        try {
            page = readIndexPage(m_file, number);
        } catch (const Fault& fault) {
            problem(number, damageOf(fault));
            return false;
        }
        m_tree.pages.push_back(number);
        if (page.isLeaf()) {
            m_leaves.push_back({number, page.previous, page.next});
            m_tree.entries.insert(m_tree.entries.end(), page.entries.begin(), page.entries.end());
            m_tree.entryPages.resize(m_tree.entries.size(), number);
            return true;
        }
        visitChildren(page, depth);
        return true;
    }

    void visitChildren(const IndexPage& node, int depth) {
        for (const IndexEntry& entry : node.entries) {
            if (entry.size() < 4) {
                problem(node.number, "a node entry is too short for its child pointer");
                continue;
            }
            const size_t before = m_tree.entries.size();
            if (!visit(childOf(entry), depth + 1))
                continue;
            const IndexEntry expected(entry.begin(), entry.end() - 4);
            if (m_tree.entries.size() > before && m_tree.entries.back() != expected) {
                problem(node.number, "the entry for child page " + std::to_string(childOf(entry)) +
                                         " differs from that page's last entry");
            }
        }
        const bool tailListed = !node.entries.empty() && node.entries.back().size() >= 4 &&
                                childOf(node.entries.back()) == node.tail;
        if (node.tail != 0 && !tailListed)
            visit(node.tail, depth + 1);
    }

    void checkLeafLinks() {
        for (size_t i = 0; i < m_leaves.size(); ++i) {
            const uint32_t before = i == 0 ? 0 : m_leaves[i - 1].number;
            const uint32_t after = i + 1 == m_leaves.size() ? 0 : m_leaves[i + 1].number;
            if (m_leaves[i].previous != before || m_leaves[i].next != after) {
                problem(m_leaves[i].number,
                        "the leaf's sibling links (" + std::to_string(m_leaves[i].previous) + ", " +
                            std::to_string(m_leaves[i].next) + ") should be (" +
                            std::to_string(before) + ", " + std::to_string(after) + ")");
            }
        }
    }

    struct Leaf {
        uint32_t number, previous, next;
    };

    const JetFile& m_file;
    std::string m_label;
    IndexTree m_tree;
    std::set<uint32_t> m_seen;
    std::vector<Leaf> m_leaves;
};

}  // namespace

IndexPage readIndexPage(const JetFile& file, uint32_t number) {
    const IndexLayout& at = file.isJet4() ? kJet4 : kJet3;
    Bytes bytes = file.page(number);
    IndexPage page;
    page.number = number;
    page.type = bytes[0];
    if (page.type != 0x03 && page.type != 0x04) {
        file.damaged("Page " + std::to_string(number) + " should hold an index but has page type " +
                     std::to_string(page.type) + ".");
    }
    page.freeSpace = readU16(file, bytes, 2);
    page.tablePage = readU32(file, bytes, 4);
    page.previous = readU32(file, bytes, at.previous);
    page.next = readU32(file, bytes, at.next);
    page.tail = readU32(file, bytes, at.tail);
    page.entries = readEntries(file, bytes, at, page.usedEnd);
    return page;
}

uint32_t childOf(const IndexEntry& nodeEntry) {
    const size_t n = nodeEntry.size();
    return uint32_t{nodeEntry[n - 4]} << 24 | uint32_t{nodeEntry[n - 3]} << 16 |
           uint32_t{nodeEntry[n - 2]} << 8 | uint32_t{nodeEntry[n - 1]};
}

IndexTree readIndexTree(const JetFile& file, uint32_t root, const std::string& label) {
    return TreeReader(file, label).read(root);
}

}  // namespace dalvon::jet

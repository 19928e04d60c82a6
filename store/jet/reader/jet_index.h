#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

using IndexEntry = std::vector<uint8_t>;

// One index page (type 0x04 leaf or 0x03 node) with its entries expanded: the shared prefix put
// back in front of every entry after the first. A leaf entry is key bytes, a 3-byte big-endian
// page and a row byte; a node entry is the key and row id of its child's last entry, then the
// child's 4-byte big-endian page number.
struct IndexPage {
    uint32_t number = 0;
    uint8_t type = 0;
    uint16_t freeSpace = 0;  // as the page states it
    uint16_t usedEnd = 0;    // first byte after the last entry
    uint32_t tablePage = 0;  // the owning table definition
    uint32_t previous = 0;   // sibling links at the same level
    uint32_t next = 0;
    uint32_t tail = 0;  // node pages: the last child, which has no entry of its own
    std::vector<IndexEntry> entries;

    bool isLeaf() const { return type == 0x04; }
};

// Reads index page `number`; Fault 3343 when it is no index page or its entries leave the page.
IndexPage readIndexPage(const JetFile& file, uint32_t number);

// The child page a node entry points to.
uint32_t childOf(const IndexEntry& nodeEntry);

// An index tree read from its root: every page reached, the leaves in key order, and the
// entries of those leaves in order. Damage found on the way (a loop, a page of the wrong kind,
// a node entry that differs from its child's last entry, broken leaf links) is listed in
// `problems`, each naming the page, prefixed with `label`.
struct IndexTree {
    std::vector<uint32_t> pages;
    std::vector<IndexEntry> entries;
    std::vector<uint32_t> entryPages;  // the leaf holding each entry
    std::vector<std::string> problems;
};

IndexTree readIndexTree(const JetFile& file, uint32_t root, const std::string& label);

}  // namespace dalvon::jet

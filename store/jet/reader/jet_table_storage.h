#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// One column of a physical index: its column number and direction.
struct JetIndexColumn {
    uint16_t number = 0;
    bool ascending = true;
};

// A physical ("real") index: the pages it owns, its tree's root, its flags, and the name of the
// first logical index that uses it (its number when none does).
struct JetIndexDef {
    std::string name;
    std::vector<JetIndexColumn> columns;
    RowPointer usageMap;
    uint32_t rootPage = 0;
    uint8_t flags = 0;  // 0x01 unique, 0x02 ignore nulls, 0x08 required

    bool ignoresNulls() const { return (flags & 0x02) != 0; }
};

// A logical index: the name a table's users know an index by, the physical index that keeps its
// entries (several may share one), and its kind.
struct JetLogicalIndex {
    enum Kind : uint8_t { kNormal = 0, kPrimaryKey = 1, kForeignKey = 2 };
    std::string name;
    uint32_t physical = 0;
    uint8_t kind = kNormal;
};

// The two page maps of one long-value (Memo/OLE) column; a zero pointer means no map.
struct JetLongValueMaps {
    uint16_t column = 0;
    RowPointer ownedPages;
    RowPointer freePages;
};

// What a table definition says about where the table keeps its pages, beyond what reading rows
// needs: the definition's own pages, the row count, both table maps, the physical indexes, the
// long-value maps, and the text sort order per column number (LCID and sort version).
struct JetTableStorage {
    std::vector<uint32_t> definitionPages;
    uint32_t rowCount = 0;
    RowPointer ownedPages;
    RowPointer freePages;
    std::vector<JetIndexDef> indexes;
    std::vector<JetLogicalIndex> logicalIndexes;
    std::vector<JetLongValueMaps> longValues;
    std::vector<std::pair<uint16_t, uint32_t>> sortOrders;  // column number, LCID | version << 24

    uint32_t sortOrderOf(uint16_t column) const;
};

// Reads those parts of the definition starting at `page`; Fault 3343 when it is damaged.
// `name` is used in fault texts only.
JetTableStorage readTableStorage(const JetFile& file, uint32_t page, const std::string& name);

}  // namespace dalvon::jet

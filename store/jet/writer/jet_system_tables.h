#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// An index of a system table as the classic engine defines it.
struct SystemIndex {
    std::string name;
    std::vector<uint16_t> columns;  // column numbers, ascending order
    uint8_t flags = 0;              // as stored: 0x80 always, 0x01 unique, 0x02 ignore Nulls
    bool primaryKey = false;
};

struct SystemTable {
    std::string name;
    uint32_t definitionPage = 0;
    std::vector<FieldDef> fields;
    std::vector<SystemIndex> indexes;
};

// The four tables every new database holds: MSysObjects (page 2), MSysACEs, MSysQueries and
// MSysRelationships (pages 3 to 5).
const std::vector<SystemTable>& systemTables();

// The definition of a system table: the writer's layout of its fields, marked as a system
// table, with its indexes. `maps` as for buildDefinition(), then one map per index; `roots`
// holds the root page of each index.
std::vector<uint8_t> buildSystemDefinition(const SystemTable& table,
                                           const std::vector<RowPointer>& maps,
                                           const std::vector<uint32_t>& roots);

}  // namespace dalvon::jet

#pragma once

#include <vector>

#include "store/database.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/reader/jet_table_storage.h"
#include "store/jet/writer/jet_index_definition.h"

namespace dalvon::jet {

// The store's view of a table's indexes: one per logical index but those of relationships
// (which belong to the relationship), the primary key first, fields by name.
std::vector<IndexDef> indexDefsOf(const JetTableDef& def, const JetTableStorage& storage);

// The indexes of a new table by field position; the fields are named as in `fields`.
std::vector<NewIndex> newIndexes(const std::vector<FieldDef>& fields,
                                 const std::vector<IndexDef>& indexes);

}  // namespace dalvon::jet

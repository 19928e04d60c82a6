#pragma once

#include <memory>

#include "store/database.h"
#include "store/tables/row_source.h"

namespace dalvon::tables {

class TableFile;

// An updatable set of rows of one stored table. The set is the list of row ids its source
// gives when first needed; rows added through the set join it at the end.
std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<TableFile> file, RowSource source);

}  // namespace dalvon::tables

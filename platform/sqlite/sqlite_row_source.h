#pragma once

#include <string>
#include <vector>

#include "platform/sqlite/jet_types.h"
#include "platform/sqlite/jet_values.h"

namespace dalvon::sqlite {

class Connection;

// Where the rows of a record set come from: one stored table, the columns of the set, and how
// the row ids of the set are listed in its order: by an equality lookup when `keyPositions`
// is not empty, else by the statement `idsSql`.
struct RowSource {
    std::string table;  // stored name
    std::vector<Column> columns;
    std::vector<size_t> positions;  // of the set's columns among the table's
    std::string rowid;              // how the table's row id is selected
    std::vector<size_t> keyPositions;
    std::vector<StoredValue> keyValues;
    std::string idsSql;
    std::vector<StoredValue> params;
    bool loadAtOnce = false;  // a WHERE fixes the set's rows when it is opened
};

// All rows of a table, in insertion order. Fault 3078 naming the table when it is missing.
RowSource tableRows(Connection& connection, const std::string& name);

// The rows of a query of the SQL subset. Syntax faults 3075/3131, 3078 for a missing table,
// 3061 for a field the table lacks, 3464 for a literal of the wrong kind.
RowSource queryRows(Connection& connection, const std::string& sqlText);

}  // namespace dalvon::sqlite

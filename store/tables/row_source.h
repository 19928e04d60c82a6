#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/column.h"
#include "store/database.h"
#include "store/tables/field_values.h"

namespace dalvon::tables {

class TableFile;

// What a record set knows of its table: the stored table, the set's columns and how its rows
// are read. Shared by every set of the same query shape.
struct RowShape {
    std::string table;  // stored name
    std::vector<Column> columns;
    std::vector<size_t> positions;  // of the set's columns among the table's
    std::vector<FieldDef> fields;
    // The position of each field whose name is ASCII, by its upper-case name.
    std::unordered_map<std::string, int> asciiFields;
};

// Where the rows of a record set come from, and how the row ids of the set are listed in its
// order: by an equality lookup when `keyed`, else by a pass over the table that keeps the rows
// whose columns at `keyPositions` equal `keyValues` and sorts them by `order`.
struct RowSource {
    std::shared_ptr<const RowShape> shape;
    bool keyed = false;
    std::vector<size_t> keyPositions;
    std::vector<StoredValue> keyValues;
    std::vector<std::pair<size_t, bool>> order;  // column position, descending
    bool loadAtOnce = false;                     // a WHERE fixes the set's rows when it is opened
};

// The row ids of a source, in the set's order.
std::vector<int64_t> rowIdsOf(TableFile& file, const RowSource& source);

// A planned query of some shape: its text with the literals left out.
struct QueryPlan;

// All rows of a table, in insertion order. Fault 3078 naming the table when it is missing.
RowSource tableRows(TableFile& file, const std::string& name);

// The rows of a query of the SQL subset. Syntax faults 3075/3131, 3078 for a missing table,
// 3061 for a field the table lacks, 3464 for a literal of the wrong kind.
RowSource queryRows(TableFile& file, const std::string& sqlText);

}  // namespace dalvon::tables

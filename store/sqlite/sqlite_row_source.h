#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/database.h"
#include "store/sqlite/jet_types.h"
#include "store/sqlite/jet_values.h"

namespace dalvon::sqlite {

class Connection;

// What a record set knows of its table: the stored table, the set's columns and how its rows
// are read. Shared by every set of the same query shape.
struct RowShape {
    std::string table;  // stored name
    std::vector<Column> columns;
    std::vector<size_t> positions;  // of the set's columns among the table's
    std::string rowid;              // how the table's row id is selected
    std::vector<FieldDef> fields;
    // The position of each field whose name is ASCII, by its upper-case name.
    std::unordered_map<std::string, int> asciiFields;
    std::string rowsSql;  // the set's columns of the rows with ids between ?1 and ?2
};

// Where the rows of a record set come from, and how the row ids of the set are listed in its
// order: by an equality lookup when `keyPositions` is not empty, else by the statement `idsSql`.
struct RowSource {
    std::shared_ptr<const RowShape> shape;
    std::vector<size_t> keyPositions;
    std::vector<StoredValue> keyValues;
    std::string idsSql;
    std::vector<StoredValue> params;
    bool loadAtOnce = false;  // a WHERE fixes the set's rows when it is opened
};

// A planned query of some shape: its text with the literals left out.
struct QueryPlan;

// All rows of a table, in insertion order. Fault 3078 naming the table when it is missing.
RowSource tableRows(Connection& connection, const std::string& name);

// The rows of a query of the SQL subset. Syntax faults 3075/3131, 3078 for a missing table,
// 3061 for a field the table lacks, 3464 for a literal of the wrong kind.
RowSource queryRows(Connection& connection, const std::string& sqlText);

}  // namespace dalvon::sqlite

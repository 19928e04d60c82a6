#pragma once

#include <string>
#include <vector>

#include "store/database.h"
#include "store/jet/jet_row.h"
#include "store/sql/sql_query.h"

namespace dalvon::jet {

// Rows with their fields: a whole table or the result of a query.
struct ResultSet {
    std::vector<FieldDef> fields;
    std::vector<Row> rows;
};

// Applies a parsed query to the rows of its table, in memory: WHERE equality comparisons
// (texts without regard to case, Null matching nothing), ORDER BY (stable, Null first, texts
// without regard to case) and the select list. Fault 3061 for an unknown field, Fault 3464
// when a literal's kind does not suit its field; both quote `sqlText`.
ResultSet runQuery(const sql::Query& query, const std::string& sqlText, ResultSet table);

}  // namespace dalvon::jet

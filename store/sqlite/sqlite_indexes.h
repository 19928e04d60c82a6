#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace dalvon::sqlite {

class Connection;

// A table's indexes as IndexDef says them, the primary key first: its PRIMARY KEY (named
// "PrimaryKey"), its UNIQUE constraints and the indexes made by CREATE INDEX, in the order the
// schema holds them. Indexes on expressions and partial indexes are left out.
std::vector<IndexDef> readIndexes(Connection& connection, const std::string& table);

// The table constraint for the primary key among `indexes` (", PRIMARY KEY (...)"), empty
// without one.
std::string primaryKeyClause(const std::vector<IndexDef>& indexes);

// Creates the indexes but the primary key on `table`. SQLite names indexes per file where Jet
// names them per table: an index whose name is taken gets the table's name in front.
void createIndexes(Connection& connection, const std::string& table,
                   const std::vector<IndexDef>& indexes);

}  // namespace dalvon::sqlite

#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace dalvon::db_tool {

// "CREATE TABLE name (field TYPE, ..., PRIMARY KEY (field, ...));" for a table, then a line
// "CREATE [UNIQUE] INDEX name ON table (field [DESC], ...);" for each other index; names quoted
// where SQL needs it, types declared as the database format declares them (Decimal as DOUBLE,
// as convert writes it).
std::string createTableText(const std::string& table, const std::vector<FieldDef>& fields,
                            const std::vector<IndexDef>& indexes = {});

}  // namespace dalvon::db_tool

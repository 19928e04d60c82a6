#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace dalvon::db_tool {

// "CREATE TABLE name (field TYPE, ...);" for a table, names quoted where SQL needs it, types
// declared as the database format declares them (Decimal as DOUBLE, as convert writes it).
std::string createTableText(const std::string& table, const std::vector<FieldDef>& fields);

}  // namespace dalvon::db_tool

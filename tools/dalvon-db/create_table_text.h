#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace dalvon::db_tool {

// The declared Jet type name of a field in the database format ("LONG", "VARCHAR(50)",
// "LONGTEXT", ...). Decimal fields become DOUBLE, as convert writes them.
std::string declaredTypeName(const FieldDef& field);

// "CREATE TABLE name (field TYPE, ...);" for a table, names quoted where SQL needs it.
std::string createTableText(const std::string& table, const std::vector<FieldDef>& fields);

}  // namespace dalvon::db_tool

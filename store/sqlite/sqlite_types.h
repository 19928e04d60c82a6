#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/column.h"
#include "store/database.h"
#include "store/sql_names.h"

namespace dalvon::sqlite {

// The declared type that round-trips `field`'s Type and Size ("LONG", "VARCHAR(50)", ...).
// Throws Fault 3259 naming the field for an unknown type or a text size outside 1..255.
std::string declaredTypeFor(const FieldDef& field, const std::string& table);

}  // namespace dalvon::sqlite

#pragma once

#include <cstddef>
#include <string>

#include "store/database.h"

namespace dalvon {

// Copies table `table` of `from` into `to` as a new table of the same fields, indexes (primary
// key included) and rows, in order, whatever the two files' formats. Decimal fields (which the
// store cannot create) become Double. Returns the number of rows copied.
size_t copyTable(Database& from, Database& to, const std::string& table);

}  // namespace dalvon

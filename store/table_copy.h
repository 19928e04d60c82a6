#pragma once

#include <cstddef>
#include <string>

#include "store/database.h"

namespace dalvon {

// What copyTable did.
struct TableCopy {
    size_t rows = 0;
    // Why the table's indexes were left out: the target engine could not keep one of them (a key
    // on a type it cannot order, a text it has no sort key for, keys that differ only where it
    // does not look). Empty when they all came along.
    std::string indexesLeftOut;
};

// Copies table `table` of `from` into `to` as a new table of the same fields, indexes (primary
// key included) and rows, in order, whatever the two files' formats. Decimal fields (which the
// store cannot create) become Double. When the target cannot keep the indexes, the table is
// copied again without any, so that no row is lost for the sake of a key.
TableCopy copyTable(Database& from, Database& to, const std::string& table);

}  // namespace dalvon

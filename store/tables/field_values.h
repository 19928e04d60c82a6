#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/variant.h"
#include "store/column.h"
#include "store/sql/sql_query.h"
#include "store/stored_value.h"

namespace dalvon::tables {

// Converts a value for storage in `column` as the classic engine converts on assignment:
// numeric text into a number field converts; text that is no number, or a value of a kind the
// field cannot hold, is Fault 3421; a text longer than a Text field's size is Fault 3163; a
// number out of the field's range is Fault 3349. Faults name `table` and the field.
StoredValue toStored(const Variant& value, const Column& column, const std::string& table);

// A value converted to `column`'s kind as toStored converts it, with the same faults: the value
// that field then holds.
Variant toFieldValue(const Variant& value, const Column& column, const std::string& table);

// The value to compare `column` with for a WHERE literal. Throws Fault 3464 (naming the field
// and `query`) when a text meets a field that holds no text or a number meets a text field.
StoredValue criterionValue(const sql::Literal& literal, const Column& column,
                           const std::string& table, const std::string& query);

}  // namespace dalvon::tables

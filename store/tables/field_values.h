#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/variant.h"
#include "store/sql/sql_query.h"
#include "store/tables/column.h"

namespace dalvon::tables {

// A value in its plain form, for comparing and keying values of any field: nothing, a whole
// number (also Boolean, Currency in ten-thousandths), a real (also Single, Date as OLE days), a
// text or bytes. It is also how the SQLite engine stores values.
using StoredValue =
    std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>>;

// Converts a value for storage in `column` as the classic engine converts on assignment:
// numeric text into a number field converts; text that is no number, or a value of a kind the
// field cannot hold, is Fault 3421; a text longer than a Text field's size is Fault 3163; a
// number out of the field's range is Fault 3349. Faults name `table` and the field.
StoredValue toStored(const Variant& value, const Column& column, const std::string& table);

// A value converted to `column`'s kind as toStored converts it, with the same faults: the value
// that field then holds.
Variant toFieldValue(const Variant& value, const Column& column, const std::string& table);

// The stored form of a value that is of its field's kind already (as the store hands values to
// storage engines and reads them back): no rules to apply, nothing to refuse.
StoredValue storedOf(const Variant& value);

// The field value of a stored value. Never throws: a value that does not fit its column's type
// (written by another tool) comes back as stored.
Variant fromStored(const StoredValue& stored, const Column& column);

// The value to compare `column` with for a WHERE literal. Throws Fault 3464 (naming the field
// and `query`) when a text meets a field that holds no text or a number meets a text field.
StoredValue criterionValue(const sql::Literal& literal, const Column& column,
                           const std::string& table, const std::string& query);

}  // namespace dalvon::tables

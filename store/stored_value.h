#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/variant.h"
#include "store/column.h"

namespace dalvon {

// A value in its plain form, for comparing and keying values of any field: nothing, a whole
// number (also Boolean, Currency in ten-thousandths), a real (also Single, Date as OLE days), a
// text or bytes. It is also how the SQLite engine stores values.
using StoredValue =
    std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>>;

// The stored form of a value that is of its field's kind already (as the store hands values to
// storage engines and reads them back): no rules to apply, nothing to refuse.
StoredValue storedOf(const Variant& value);

// A value of any kind as a column of any kind keeps it: texts, bytes and whole numbers as they
// are, every other number (Currency and Date too) as a real.
StoredValue storedAsGiven(const Variant& value);

// The field value of a stored value. Never throws: a value that does not fit its column's type
// (written by another tool) comes back as stored.
Variant fromStored(const StoredValue& stored, const Column& column);

}  // namespace dalvon

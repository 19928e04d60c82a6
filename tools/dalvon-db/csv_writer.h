#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace dalvon::db_tool {

// One CSV field (RFC 4180): quoted when it holds a comma, a double quote or a line break,
// with inner double quotes doubled. Null and Empty are the empty field; numbers and dates
// take their invariant text form; binary data is written as hexadecimal digits.
std::string csvField(const Variant& value);

// Writes the fields separated by commas and closed by CR LF.
void writeCsvLine(std::ostream& out, const std::vector<std::string>& fields);

}  // namespace dalvon::db_tool

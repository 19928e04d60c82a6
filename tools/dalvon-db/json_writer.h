#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace dalvon::db_tool {

// `text` as a JSON string, quotes included, with the escapes JSON requires.
std::string jsonString(const std::string& text);

// One JSON value: numbers as numbers, Boolean as true/false, Null and Empty as null, dates as
// "yyyy-mm-dd hh:mm:ss" strings, binary data as a string of hexadecimal digits.
std::string jsonValue(const Variant& value);

// Writes one row as a JSON object on one line, the fields in `names` order.
void writeJsonLine(std::ostream& out, const std::vector<std::string>& names,
                   const std::vector<Variant>& values);

}  // namespace dalvon::db_tool

#pragma once

#include <optional>
#include <string_view>

namespace dalvon {

// An OLE date (days since 1899-12-30, fraction = time of day) from "yyyy-mm-dd",
// "yyyy-mm-dd hh:mm" or "yyyy-mm-dd hh:mm:ss" (also with a 'T' between); nothing for any
// other text or an impossible date.
std::optional<double> parseIsoDate(std::string_view text);

// True for a GUID in registry form, "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (hex digits).
bool isGuidText(std::string_view text);

}  // namespace dalvon

#pragma once

#include <cstdint>
#include <string>

namespace dalvon {

struct Runtime;
class Variant;

// Single entries of profile files. A missing entry reads as the empty text, -1 or False; with
// `report` true a missing entry is also shown through ReportFault. `flag` changes nothing.
std::string LoadIniString(Runtime& rt, const std::string& section, const std::string& key,
                          const std::string& file, bool flag, bool report);
int16_t LoadIniInteger(Runtime& rt, const std::string& section, const std::string& key,
                       const std::string& file, bool flag, bool report);
bool LoadIniBoolean(Runtime& rt, const std::string& section, const std::string& key,
                    const std::string& file, bool flag, bool report);

// Writes a text, Boolean ("true"/"false") or number; 1 when written, 0 when the write failed.
int16_t SaveIni(Runtime& rt, const Variant& value, const std::string& section,
                const std::string& key, const std::string& file);

}  // namespace dalvon

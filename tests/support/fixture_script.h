#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "store/database.h"

namespace dalvon::testing {

// A table that a fixture's SQL script creates and fills.
struct ScriptTable {
    std::string name;
    std::vector<FieldDef> fields;
    std::vector<std::vector<Variant>> rows;  // one value per field, Null where none was given
};

// The tables of a fixture script in SQLite's dialect, for builds without SQLite: CREATE TABLE
// with declared types and INSERT INTO ... VALUES with text, number and NULL literals, read as
// the database format (docs/database-format.md) stores them; BEGIN, COMMIT and PRAGMA statements
// are passed over. Throws std::invalid_argument naming any other statement, so that a fixture never
// silently loses part of its content.
std::vector<ScriptTable> readFixtureScript(std::string_view script);

// A new Jet 4 file at `hostPath` (which must not exist) holding the script's tables.
void makeJetDatabase(const std::filesystem::path& hostPath, std::string_view script);

}  // namespace dalvon::testing

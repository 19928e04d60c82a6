#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/column.h"
#include "store/database.h"

namespace dalvon {

// How the SQL text this program writes names field types and identifiers: the SQLite engine
// declares its tables so, and dalvon-db's CREATE TABLE texts must read the same. Both reach the
// store's interface level; the tool may not reach into an engine.

// The Jet DDL type name that declares `field` in the database format ("LONG", "VARCHAR(50)",
// "LONGTEXT", ...; docs/database-format.md); nothing for a Type that is no FieldType.
std::optional<std::string> ddlTypeName(const FieldDef& field);

// The field type and size that a column's declared type stands for: the Jet DDL names above,
// their usual synonyms, and plain SQLite types by SQLite's own affinity rules.
Column columnFromDeclaredType(std::string name, std::string_view declared);

// `name` in double quotes with embedded double quotes doubled: safe for any identifier. A CSV
// field is quoted the same way.
std::string quoteIdentifier(std::string_view name);

}  // namespace dalvon

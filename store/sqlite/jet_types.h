#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/database.h"

namespace dalvon::sqlite {

// A column of a stored table as the engine sees it: the field it stands for and how its values
// are converted.
struct Column {
    std::string name;
    FieldType type = FieldType::Memo;
    int32_t size = 0;
    // Declared without any type: values come back as stored and are written as given.
    bool untyped = false;

    FieldDef def() const { return FieldDef{name, static_cast<int>(type), size}; }
    // Text comparisons and ordering of this column ignore case.
    bool holdsText() const {
        return untyped || type == FieldType::Text || type == FieldType::Memo ||
               type == FieldType::Guid;
    }
};

// The field type and size that a column's declared type stands for: the Jet DDL names this
// engine writes, their usual synonyms, and plain SQLite types by SQLite's own affinity rules.
Column columnFromDeclaredType(std::string name, std::string_view declared);

// The declared type that round-trips `field`'s Type and Size ("LONG", "VARCHAR(50)", ...).
// Throws Fault 3259 naming the field for an unknown type or a text size outside 1..255.
std::string declaredTypeFor(const FieldDef& field, const std::string& table);

// The size the classic engine reports for a type of fixed size (0 for Text and Binary).
int32_t fixedSize(FieldType type);

// `name` in double quotes with embedded double quotes doubled: safe for any identifier.
std::string quoteIdentifier(std::string_view name);

}  // namespace dalvon::sqlite

#pragma once

#include <cstdint>
#include <string>

#include "store/database.h"

namespace dalvon {

// A column of a stored table as its engine describes it: the field it stands for and how the
// engine keeps its values.
struct Column {
    std::string name;
    FieldType type = FieldType::Memo;
    int32_t size = 0;
    // The engine keeps values of any kind in this column as they are given: they are written
    // without conversion to the field's type and come back as they were stored.
    bool anyKind = false;

    FieldDef def() const { return FieldDef{name, static_cast<int>(type), size}; }
    // Text comparisons and ordering of this column ignore case.
    bool holdsText() const {
        return anyKind || type == FieldType::Text || type == FieldType::Memo ||
               type == FieldType::Guid;
    }
};

// A column for a field of a table definition.
inline Column columnOf(const FieldDef& field) {
    return Column{field.name, static_cast<FieldType>(field.type), field.size, false};
}

// Fault 3259 naming the field for a type that is none of FieldType's or a Text or Binary size
// outside 1..255.
void checkFieldType(const FieldDef& field, const std::string& table);

// The size the classic engine reports for a type of fixed size (0 for Text and Binary).
int32_t fixedSize(FieldType type);

}  // namespace dalvon

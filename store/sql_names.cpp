#include "store/sql_names.h"

namespace dalvon {

std::optional<std::string> ddlTypeName(const FieldDef& field) {
    switch (static_cast<FieldType>(field.type)) {
        case FieldType::Boolean:
            return "BIT";
        case FieldType::Byte:
            return "BYTE";
        case FieldType::Integer:
            return "SHORT";
        case FieldType::Long:
            return "LONG";
        case FieldType::Currency:
            return "CURRENCY";
        case FieldType::Single:
            return "SINGLE";
        case FieldType::Double:
            return "DOUBLE";
        case FieldType::Date:
            return "DATETIME";
        case FieldType::Binary:
            return "VARBINARY(" + std::to_string(field.size) + ")";
        case FieldType::Text:
            return "VARCHAR(" + std::to_string(field.size) + ")";
        case FieldType::LongBinary:
            return "LONGBINARY";
        case FieldType::Memo:
            return "LONGTEXT";
        case FieldType::Guid:
            return "GUID";
    }
    return std::nullopt;
}

std::string quoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace dalvon

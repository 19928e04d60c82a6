#include <string>

#include "store/database.h"

namespace dalvon {

std::string fieldTypeName(int type) {
    switch (static_cast<FieldType>(type)) {
        case FieldType::Boolean:
            return "Boolean";
        case FieldType::Byte:
            return "Byte";
        case FieldType::Integer:
            return "Integer";
        case FieldType::Long:
            return "Long";
        case FieldType::Currency:
            return "Currency";
        case FieldType::Single:
            return "Single";
        case FieldType::Double:
            return "Double";
        case FieldType::Date:
            return "Date";
        case FieldType::Binary:
            return "Binary";
        case FieldType::Text:
            return "Text";
        case FieldType::LongBinary:
            return "Long Binary";
        case FieldType::Memo:
            return "Memo";
        case FieldType::Guid:
            return "GUID";
    }
    return "type " + std::to_string(type);
}

}  // namespace dalvon

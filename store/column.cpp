#include "store/column.h"

#include "store/faults.h"

namespace dalvon {

int32_t fixedSize(FieldType type) {
    switch (type) {
        case FieldType::Boolean:
        case FieldType::Byte:
            return 1;
        case FieldType::Integer:
            return 2;
        case FieldType::Long:
        case FieldType::Single:
            return 4;
        case FieldType::Currency:
        case FieldType::Double:
        case FieldType::Date:
            return 8;
        case FieldType::Guid:
            return 16;
        default:
            return 0;
    }
}

void checkFieldType(const FieldDef& field, const std::string& table) {
    switch (static_cast<FieldType>(field.type)) {
        case FieldType::Text:
        case FieldType::Binary:
            if (field.size < 1 || field.size > 255) {
                throw faults::invalidFieldType(": the field '" + field.name + "' of table '" +
                                               table + "' needs a size from 1 to 255, not " +
                                               std::to_string(field.size) + ".");
            }
            return;
        case FieldType::Boolean:
        case FieldType::Byte:
        case FieldType::Integer:
        case FieldType::Long:
        case FieldType::Currency:
        case FieldType::Single:
        case FieldType::Double:
        case FieldType::Date:
        case FieldType::LongBinary:
        case FieldType::Memo:
        case FieldType::Guid:
            return;
    }
    throw faults::invalidFieldType(" " + std::to_string(field.type) + " of the field '" +
                                   field.name + "' of table '" + table + "'.");
}

}  // namespace dalvon

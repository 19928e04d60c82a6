#include "store/sqlite/sqlite_types.h"

#include "store/faults.h"

namespace dalvon::sqlite {

std::string declaredTypeFor(const FieldDef& field, const std::string& table) {
    checkFieldType(field, table);
    return ddlTypeName(field).value_or("LONGTEXT");
}

}  // namespace dalvon::sqlite

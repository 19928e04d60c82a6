#include "store/table_copy.h"

#include <vector>

namespace dalvon {
namespace {

// The engine's number for Decimal, a type Access files may hold and no store here creates.
constexpr int kDecimalFieldType = 20;

std::vector<FieldDef> targetFields(std::vector<FieldDef> fields) {
    for (auto& field : fields) {
        if (field.type == kDecimalFieldType)
            field = {field.name, static_cast<int>(FieldType::Double), 8};
    }
    return fields;
}

}  // namespace

size_t copyTable(Database& from, Database& to, const std::string& table) {
    to.createTable(table, targetFields(from.tableFields(table)), from.tableIndexes(table));
    auto source = from.openTable(table);
    auto target = to.openTable(table);
    size_t rows = 0;
    for (; !source->eof(); source->moveNext(), ++rows) {
        target->addNew();
        for (int i = 0; i < source->fieldCount(); ++i) {
            const Variant value = source->value(i);
            if (!value.isNull())
                target->setValue(i, value);
        }
        target->update();
    }
    target->close();
    source->close();
    return rows;
}

}  // namespace dalvon

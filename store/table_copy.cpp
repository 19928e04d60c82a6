#include "store/table_copy.h"

#include <algorithm>
#include <vector>

#include "platform/fault.h"

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

size_t copyRows(Database& from, Database& to, const std::string& table,
                const std::vector<IndexDef>& indexes) {
    to.createTable(table, targetFields(from.tableFields(table)), indexes);
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

}  // namespace

TableCopy copyTable(Database& from, Database& to, const std::string& table) {
    const std::vector<IndexDef> indexes = from.tableIndexes(table);
    if (indexes.empty())
        return {copyRows(from, to, table, {}), ""};
    try {
        return {copyRows(from, to, table, indexes), ""};
    } catch (const Fault& fault) {
        // 3027: an index or a key value the target cannot keep; 3022: keys that are unique in
        // the source but not where the target compares them (a Jet text key ignores case);
        // 3058: a Null in a primary key, which SQLite lets some tables hold.
        if (fault.number() != 3027 && fault.number() != 3022 && fault.number() != 3058)
            throw;
        const std::vector<std::string> tables = to.tableNames();
        if (std::find(tables.begin(), tables.end(), table) != tables.end())
            to.deleteTable(table);
        return {copyRows(from, to, table, {}), fault.description()};
    }
}

}  // namespace dalvon

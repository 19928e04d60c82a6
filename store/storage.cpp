#include "store/storage.h"

namespace dalvon {

std::vector<FieldDef> Storage::fields(const std::string& table) {
    std::vector<FieldDef> fields;
    for (const tables::Column& column : columns(table))
        fields.push_back(column.def());
    return fields;
}

std::vector<Storage::RowId> Storage::rowIds(const std::string& table) {
    std::vector<RowId> ids;
    scan(table, [&](RowId id, const Row&) { ids.push_back(id); });
    return ids;
}

void Storage::readRange(const std::string& table, RowId first, RowId last,
                        const std::function<void(RowId, const Row&)>& visit) {
    for (RowId id = first; id <= last; ++id) {
        if (std::optional<Row> row = readRow(table, id))
            visit(id, *row);
    }
}

}  // namespace dalvon

#include "store/storage.h"

namespace dalvon {

std::vector<FieldDef> Storage::fields(const std::string& table) {
    std::vector<FieldDef> fields;
    for (const Column& column : columns(table))
        fields.push_back(column.def());
    return fields;
}

std::vector<Storage::RowId> Storage::rowIds(const std::string& table) {
    std::vector<RowId> ids;
    scan(table, [&](RowId id, const Row&) { ids.push_back(id); });
    return ids;
}

void Storage::scanFields(const std::string& table, const std::vector<size_t>& positions,
                         const std::function<void(RowId, const Row&)>& visit) {
    Row picked(positions.size());
    scan(table, [&](RowId id, const Row& row) {
        for (size_t i = 0; i < positions.size(); ++i)
            picked[i] = row.at(positions[i]);
        visit(id, picked);
    });
}

std::vector<std::pair<Storage::RowId, Storage::Row>> Storage::readRange(const std::string& table,
                                                                        RowId first, RowId last) {
    std::vector<std::pair<RowId, Row>> rows;
    for (RowId id = first; id <= last; ++id) {
        if (std::optional<Row> row = readRow(table, id))
            rows.emplace_back(id, std::move(*row));
    }
    return rows;
}

}  // namespace dalvon

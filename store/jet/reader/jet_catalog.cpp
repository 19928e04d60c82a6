#include "store/jet/reader/jet_catalog.h"

#include "store/jet/format/jet_catalog_ids.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {
namespace {

size_t columnIndex(const JetFile& file, const JetTableDef& catalog, const std::string& name) {
    for (size_t i = 0; i < catalog.columns.size(); ++i) {
        if (catalog.columns[i].name == name)
            return i;
    }
    file.damaged("The catalog has no column '" + name + "'.");
}

// Numbers of the catalog columns; a column of an unexpected kind reads as 0 / empty.
int64_t numberOf(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Integer:
        case VariantKind::Long:
            return value.toLong();
        default:
            return 0;
    }
}

}  // namespace

std::vector<CatalogTable> readUserTables(const JetFile& file) {
    const JetTableDef catalog = readTableDef(file, kCatalogPage, "MSysObjects");
    const size_t id = columnIndex(file, catalog, "Id");
    const size_t parent = columnIndex(file, catalog, "ParentId");
    const size_t name = columnIndex(file, catalog, "Name");
    const size_t type = columnIndex(file, catalog, "Type");
    const size_t flags = columnIndex(file, catalog, "Flags");
    const std::vector<Row> rows = readTableRows(file, catalog);
    int64_t tablesId = -1;
    for (const Row& row : rows) {
        if (numberOf(row[parent]) == kContainersParent && row[name].isString() &&
            row[name].asString() == "Tables") {
            tablesId = numberOf(row[id]);
        }
    }
    std::vector<CatalogTable> tables;
    for (const Row& row : rows) {
        const auto rowFlags = static_cast<uint32_t>(numberOf(row[flags]));
        if (numberOf(row[type]) != kTableType || numberOf(row[parent]) != tablesId ||
            (rowFlags & kSystemOrHidden) != 0 || !row[name].isString()) {
            continue;
        }
        tables.push_back({row[name].asString(), static_cast<uint32_t>(numberOf(row[id]))});
    }
    return tables;
}

}  // namespace dalvon::jet

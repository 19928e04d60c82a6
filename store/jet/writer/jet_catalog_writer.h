#pragma once

#include <cstdint>
#include <string>

#include "store/jet/writer/jet_page_space.h"
#include "store/jet/writer/jet_table_writer.h"

namespace dalvon::jet {

// The catalog entries of a user table: its MSysObjects row with the entries of the catalog's
// two indexes (Id, ParentIdName), and its MSysACEs rows (one per access-control entry of the
// "Tables" container) with their ObjectId index entries, at any size of those indexes.
class CatalogWriter {
public:
    explicit CatalogWriter(PageSpace& space);

    // Adds the entries of a new table whose definition starts at `definitionPage`.
    void addTable(const std::string& name, uint32_t definitionPage);
    // Removes the entries of the table whose definition starts at `definitionPage`. Fault 3027
    // when a relationship names the table.
    void removeTable(const std::string& name, uint32_t definitionPage);
    // Renames the property set of column `oldName` in the table's LvProp (which Access keys by
    // column name) to `newName`, where the table has one, and stamps the catalog row's
    // DateUpdate.
    void renameColumnProperties(uint32_t definitionPage, const std::string& oldName,
                                const std::string& newName);

private:
    PageSpace& m_space;
};

// Now as an OLE date in local time, as the classic engine stamps catalog rows and the header
// of a new database.
double oleNow();

// Appends a row to a catalog table and enters it in every index of that table (Fault 3022 when
// a unique one holds its key already).
void addIndexedRow(PageSpace& space, TableWriter& table, const std::vector<Variant>& values);

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "store/jet/writer/jet_definition.h"
#include "store/jet/writer/jet_placement.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/format/jet_value_codec.h"

namespace dalvon::jet {

// The rows of one Jet 4 table as the writer changes them. Index entries are not maintained
// here: callers refuse changes to indexed tables or maintain the entries themselves.
class TableWriter {
public:
    TableWriter(PageSpace& space, uint32_t definitionPage, const std::string& name);

    const JetTableDef& def() const { return m_def; }
    const DefinitionParts& parts() const { return m_parts; }
    // Position of a live column by name (exact), or -1.
    int columnIndex(const std::string& name) const;

    // Every live row with its place (its first slot, which a move keeps), in storage order.
    std::vector<std::pair<RowPointer, Row>> scan() const;
    // One row by its place; Fault 3167 when it is deleted or does not belong to the table.
    Row read(RowPointer place) const;

    // Adds a row (one value per live column, in column order) and returns its place.
    // Fault 3047 when the row is longer than a page takes.
    RowPointer append(const std::vector<Variant>& values);
    // Changes the values of the given columns of a row; in place when it fits, else the row
    // moves and its first slot points to it. Unchanged long values stay as stored.
    void update(RowPointer place, const std::vector<std::pair<size_t, Variant>>& changes);
    // Marks a row deleted.
    void remove(RowPointer place);

    // The pages the table owns (data, long values, indexes, bitmap pages of its maps).
    std::vector<uint32_t> ownedPages() const;
    // The rows of its usage maps (table, long-value columns, indexes).
    std::vector<RowPointer> mapRows() const;

private:
    StoredValue storeValue(size_t column, const Variant& value, bool inlineAllowed);
    std::vector<StoredValue> storeValues(const std::vector<Variant>& values);
    // Where the row's bytes live now (the moved copy for a moved row).
    RowPointer currentPlace(RowPointer place) const;
    void checkPlace(RowPointer place) const;
    void addToHeader(size_t offset, int64_t delta);
    void raiseAutoNumber(const std::vector<Variant>& values, std::vector<Variant>& filled);
    void dropLongValue(const JetColumn& column, const StoredValue& old);

    PageSpace& m_space;
    JetTableDef m_def;
    DefinitionParts m_parts;
    PageTarget m_rows;
    std::map<uint16_t, PageTarget> m_longValues;  // by column number
};

}  // namespace dalvon::jet

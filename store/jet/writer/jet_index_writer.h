#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/jet/format/jet_index_key.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/reader/jet_table_storage.h"
#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

// The entries of one table's rows in all of its indexes (primary key, unique and plain; one or
// several columns; either direction; Null keys), as rows come, change and go. Fault 3027 for a
// key this program cannot encode (jet_index_key.h), Fault 3022 from checkUnique.
class IndexWriter {
public:
    IndexWriter(PageSpace& space, const JetTableDef& def);

    bool empty() const { return m_indexes.empty(); }
    // Fault 3022 when `row` (at `place`) would share the key of another row in a unique index,
    // 3058 when it has a Null in the key of an index that requires values (a primary key).
    void checkUnique(const Row& row, RowPointer place) const;
    void add(const Row& row, RowPointer place);
    void remove(const Row& row, RowPointer place);
    // Moves the row's entries from its old values' keys to its new ones, where they differ.
    void change(const Row& before, const Row& after, RowPointer place);

private:
    struct Index {
        JetIndexDef def;
        std::vector<size_t> positions;  // of its key columns among the live columns
        std::vector<KeyColumn> columns;
    };
    // The key of `row` in `index`, or nullopt when the index leaves the row out (Null keys of an
    // index that ignores Nulls).
    std::optional<std::vector<uint8_t>> keyOf(const Index& index, const Row& row) const;

    PageSpace& m_space;
    const JetTableDef& m_def;
    std::vector<Index> m_indexes;
};

}  // namespace dalvon::jet

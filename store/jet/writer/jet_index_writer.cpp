#include "store/jet/writer/jet_index_writer.h"

#include <algorithm>

#include "store/faults.h"
#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/writer/jet_index_tree_writer.h"

namespace dalvon::jet {
namespace {

constexpr uint8_t kUniqueIndex = 0x01, kRequiredIndex = 0x08;

bool allNull(const std::vector<Variant>& values) {
    return std::all_of(values.begin(), values.end(), [](const Variant& v) { return v.isNull(); });
}

}  // namespace

IndexWriter::IndexWriter(PageSpace& space, const JetTableDef& def) : m_space(space), m_def(def) {
    const JetTableStorage storage = readTableStorage(space.file(), def.page, def.name);
    for (const JetIndexDef& index : storage.indexes) {
        Index entry{index, {}, {}};
        for (const JetIndexColumn& key : index.columns) {
            const auto found =
                std::find_if(def.columns.begin(), def.columns.end(),
                             [&](const JetColumn& c) { return c.number == key.number; });
            if (found == def.columns.end())
                space.file().damaged("An index of table '" + def.name +
                                     "' names a missing column.");
            entry.positions.push_back(static_cast<size_t>(found - def.columns.begin()));
            entry.columns.push_back({found->type, key.ascending, storage.sortOrderOf(key.number)});
        }
        m_indexes.push_back(std::move(entry));
    }
}

std::optional<std::vector<uint8_t>> IndexWriter::keyOf(const Index& index, const Row& row) const {
    std::vector<Variant> values;
    for (size_t position : index.positions)
        values.push_back(row[position].isEmpty() ? Variant::null() : row[position]);
    if (index.def.ignoresNulls() && allNull(values))
        return std::nullopt;
    auto key = encodeIndexKey(index.columns, values);
    if (!key) {
        throw faults::readOnlyDatabase(" (Index '" + index.def.name + "' of table '" + m_def.name +
                                       "' has a key whose encoding this program lacks.)");
    }
    return key;
}

// Null keys are no duplicates: a unique index holds any number of rows whose key has a Null.
void IndexWriter::checkUnique(const Row& row, RowPointer place) const {
    for (const Index& index : m_indexes) {
        const bool hasNull =
            std::any_of(index.positions.begin(), index.positions.end(),
                        [&](size_t p) { return row[p].isNull() || row[p].isEmpty(); });
        if (hasNull && (index.def.flags & kRequiredIndex))
            throw faults::nullInKey("index '" + index.def.name + "' of table '" + m_def.name + "'");
        if (!(index.def.flags & kUniqueIndex))
            continue;
        const auto key = keyOf(index, row);
        if (!key || hasNull)
            continue;
        const IndexTreeWriter tree(m_space, m_def.page, index.def.usageMap, index.def.rootPage);
        for (RowPointer other : tree.rowsWithKey(*key)) {
            if (other != place)
                throw faults::duplicateKey(" (index '" + index.def.name + "' of table '" +
                                           m_def.name + "')");
        }
    }
}

void IndexWriter::add(const Row& row, RowPointer place) {
    for (const Index& index : m_indexes) {
        if (const auto key = keyOf(index, row)) {
            IndexTreeWriter(m_space, m_def.page, index.def.usageMap, index.def.rootPage)
                .insert(leafEntry(*key, place));
        }
    }
}

void IndexWriter::remove(const Row& row, RowPointer place) {
    for (const Index& index : m_indexes) {
        if (const auto key = keyOf(index, row)) {
            IndexTreeWriter(m_space, m_def.page, index.def.usageMap, index.def.rootPage)
                .remove(leafEntry(*key, place));
        }
    }
}

void IndexWriter::change(const Row& before, const Row& after, RowPointer place) {
    for (const Index& index : m_indexes) {
        const auto old = keyOf(index, before);
        const auto now = keyOf(index, after);
        if (old == now)
            continue;
        IndexTreeWriter tree(m_space, m_def.page, index.def.usageMap, index.def.rootPage);
        if (old)
            tree.remove(leafEntry(*old, place));
        if (now)
            tree.insert(leafEntry(*now, place));
    }
}

}  // namespace dalvon::jet

#include "store/jet/jet_index_defs.h"

#include <algorithm>

namespace dalvon::jet {
namespace {

constexpr uint8_t kUniqueFlag = 0x01;

const JetColumn* columnNumbered(const JetTableDef& def, uint16_t number) {
    for (const JetColumn& column : def.columns) {
        if (column.number == number)
            return &column;
    }
    return nullptr;
}

}  // namespace

std::vector<IndexDef> indexDefsOf(const JetTableDef& def, const JetTableStorage& storage) {
    std::vector<IndexDef> out;
    for (const JetLogicalIndex& logical : storage.logicalIndexes) {
        if (logical.kind == JetLogicalIndex::kForeignKey ||
            logical.physical >= storage.indexes.size())
            continue;
        const JetIndexDef& physical = storage.indexes[logical.physical];
        IndexDef index{logical.name,
                       {},
                       logical.kind == JetLogicalIndex::kPrimaryKey,
                       (physical.flags & kUniqueFlag) != 0};
        for (const JetIndexColumn& key : physical.columns) {
            if (const JetColumn* column = columnNumbered(def, key.number))
                index.fields.push_back({column->name, key.ascending});
        }
        if (!index.fields.empty())
            out.push_back(std::move(index));
    }
    std::stable_partition(out.begin(), out.end(), [](const IndexDef& i) { return i.primary; });
    return out;
}

std::vector<NewIndex> newIndexes(const std::vector<FieldDef>& fields,
                                 const std::vector<IndexDef>& indexes) {
    std::vector<NewIndex> out;
    for (const IndexDef& index : indexes) {
        NewIndex made{index.name, {}, index.primary, index.unique};
        for (const IndexField& key : index.fields) {
            const auto field = std::find_if(fields.begin(), fields.end(),
                                            [&](const FieldDef& f) { return f.name == key.name; });
            // The store has matched every key to a field; one it has not stays out of range and
            // is refused with the index's name.
            made.columns.emplace_back(static_cast<size_t>(field - fields.begin()), key.ascending);
        }
        out.push_back(std::move(made));
    }
    return out;
}

}  // namespace dalvon::jet

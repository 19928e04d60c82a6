#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/database.h"
#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

// An index of a new table: its key columns (field position, ascending) and its kind.
struct NewIndex {
    std::string name;
    std::vector<std::pair<size_t, bool>> columns;
    bool primary = false;  // implies unique
    bool unique = false;
};

// Adds `indexes` to the bytes of a new table's definition as buildDefinition made them from
// `fields` for `table` (no index yet; column number = field position): one physical and one logical
// index each, with an empty leaf page as root and an inline page map holding it, made in `space`.
// Fault 3125 for a bad index name; 3027 for an index without columns or with more than ten,
// naming a field that is not there, or keyed on a field whose keys this program cannot encode
// (jet_index_key.h: GUID, Binary, OLE).
void addIndexes(PageSpace& space, uint32_t definitionPage, std::vector<uint8_t>& definition,
                const std::string& table, const std::vector<FieldDef>& fields,
                const std::vector<NewIndex>& indexes);

}  // namespace dalvon::jet

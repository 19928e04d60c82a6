#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

struct CatalogTable {
    std::string name;
    uint32_t definitionPage = 0;
};

// The user tables of the catalog (MSysObjects), in catalog order; system and hidden tables
// are left out. Fault 3343 when the catalog is damaged.
std::vector<CatalogTable> readUserTables(const JetFile& file);

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <vector>

namespace dalvon::jet_test {

// Where things sit in the tiny database below, for tests that damage it on purpose.
struct TinyLayout {
    static constexpr uint32_t kMapRowsPage = 3;
    static constexpr uint32_t kCatalogRowsPage = 4;
    static constexpr uint32_t kItemsDefinitionPage = 5;
    static constexpr uint32_t kItemsRowsPage = 6;
    static constexpr uint32_t kItemsIndexPage = 7;
    static constexpr uint32_t kPages = 8;
};

// A complete, sound Jet 4 database of eight pages, built byte by byte: the global usage map,
// a catalog (MSysObjects with Id, ParentId, Type, Flags, Name; no indexes) listing the table
// "Items" (one Long column "Id", three rows with Ids 3, 1, 2, and a unique index "PrimaryKey"
// on Id whose root is a single leaf page). Every page is owned or marked free.
std::vector<uint8_t> tinyJet4Database();

}  // namespace dalvon::jet_test

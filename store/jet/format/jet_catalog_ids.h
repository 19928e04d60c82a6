#pragma once

#include <cstdint>

// Fixed numbers of the catalog (MSysObjects) shared by its reader, its writer, the checker and
// the creation of a new database.
namespace dalvon::jet {

// The first page of MSysObjects' table definition (its Id in its own rows).
inline constexpr uint32_t kCatalogPage = 2;

// Ids: the parent of the containers, the containers and the MSysDb object of a database this
// program creates. A table's Id is its definition page. Other files may number the containers
// otherwise, so readers look "Tables" up by name under kContainersParent.
inline constexpr int32_t kContainersParent = 0x0F000000;
inline constexpr int32_t kTablesId = 0x0F000001;
inline constexpr int32_t kDatabasesId = 0x0F000002;
inline constexpr int32_t kRelationshipsId = 0x0F000003;
inline constexpr int32_t kDatabaseObjectId = 0x10000000;

// Object types (the Type column).
inline constexpr int16_t kTableType = 1;
inline constexpr int16_t kDatabaseType = 2;
inline constexpr int16_t kContainerType = 3;

// Flags: the engine's own objects, and the bits that keep a table out of the user's list.
inline constexpr int32_t kSystemObject = static_cast<int32_t>(0x80000000u);
inline constexpr uint32_t kSystemOrHidden = 0x80000002;

}  // namespace dalvon::jet

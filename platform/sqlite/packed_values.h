#pragma once

#include <string>
#include <vector>

#include "platform/sqlite/jet_values.h"

namespace dalvon::sqlite {

// Stored values packed one after another into one string: the compact form for the many rows
// and keys kept in memory. Each value is a kind byte, a 32-bit length and its bytes, so equal
// values (same kind, same bytes) pack to equal strings.
void appendPacked(std::string& packed, const StoredValue& value);
std::string packed(const std::vector<const StoredValue*>& values);  // nullptr packs as Null
std::vector<StoredValue> unpackAll(const std::string& packed);
StoredValue unpackAt(const std::string& packed, size_t index);  // Null past the end
// The packed values with the one at `index` replaced.
std::string repacked(const std::string& packed, size_t index, const StoredValue& value);

}  // namespace dalvon::sqlite

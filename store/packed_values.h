#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/stored_value.h"

namespace dalvon {

// Stored values packed one after another into one string: the compact form for the many rows
// and keys kept in memory. Each value is a kind byte, a 32-bit length and its bytes, so equal
// values (same kind, same bytes) pack to equal strings.
void appendPacked(std::string& packed, const StoredValue& value);
std::string packed(const std::vector<const StoredValue*>& values);  // nullptr packs as Null
StoredValue unpackAt(const std::string& packed, size_t index);      // Null past the end
// The packed form of each value, in order (views into `packed`).
std::vector<std::string_view> packedParts(const std::string& packed);

// One packed value as it lies in the string: its kind ('n', 'i', 'r', 't' or 'b') and bytes.
struct PackedView {
    char kind;
    std::string_view bytes;
    int64_t whole() const;
    double real() const;
    // The same kind and bytes: a double is compared by its bits, so -0.0 is not 0.0.
    bool operator==(const PackedView&) const = default;
};
PackedView viewOf(std::string_view part);
// A stored value seen as it would be packed (the bytes are the value's own).
PackedView viewOfValue(const StoredValue& value);
// The packed values with the one at `index` replaced.
std::string repacked(const std::string& packed, size_t index, const StoredValue& value);

}  // namespace dalvon

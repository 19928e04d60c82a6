#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/sqlite/jet_types.h"
#include "platform/sqlite/jet_values.h"

namespace dalvon::sqlite {

// The row ids of one table by the values of some of its columns, kept in memory so that an
// equality lookup costs a hash probe instead of a scan. Keys compare as the engine's WHERE
// does: text of a text column without regard to case, whole and fractional numbers by value,
// Null never.
class KeyIndex {
public:
    // `positions` are the key columns' positions among the table's columns.
    KeyIndex(std::vector<size_t> positions, std::vector<Column> keys)
        : m_positions(std::move(positions)), m_keys(std::move(keys)) {}

    const std::vector<size_t>& positions() const { return m_positions; }
    const std::vector<Column>& keys() const { return m_keys; }
    bool covers(size_t position) const;

    // The key of values given in the order of the key columns; none when one is Null.
    std::optional<std::string> keyOf(const std::vector<const StoredValue*>& values) const;
    // The part of a key that one value of `column` makes; none for Null. Two values are equal
    // in a lookup exactly when their parts are.
    static std::optional<std::string> partOf(const StoredValue& value, const Column& column);

    void add(const std::string& key, int64_t rowid);
    void remove(const std::string& key, int64_t rowid);
    // The row ids with this key in ascending order (empty when there are none).
    const std::vector<int64_t>& find(const std::string& key) const;

private:
    std::vector<size_t> m_positions;
    std::vector<Column> m_keys;
    std::unordered_map<std::string, std::vector<int64_t>> m_rows;
};

}  // namespace dalvon::sqlite

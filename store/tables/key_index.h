#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/column.h"
#include "store/tables/field_values.h"

namespace dalvon::tables {

// The row ids of one table by the values of some of its columns, kept in memory so that an
// equality lookup costs a hash probe instead of a scan. Keys compare as the engine's WHERE
// does: text of a text column without regard to case, whole and fractional numbers by value,
// Null never. The index also knows each row's key values exactly as stored, so that a write
// can be checked against them without reading the row.
class KeyIndex {
public:
    // `positions` are the key columns' positions among the table's columns.
    KeyIndex(std::vector<size_t> positions, std::vector<Column> keys)
        : m_positions(std::move(positions)), m_keys(std::move(keys)) {}

    const std::vector<size_t>& positions() const { return m_positions; }
    // The place of a table column among the key columns, if it is one.
    std::optional<size_t> keyOf(size_t position) const;

    // The lookup key of values of `column` given in key column order; none when one is Null.
    static std::optional<std::string> lookupPart(const StoredValue& value, const Column& column);

    // Records a row with its key values in key column order.
    void add(int64_t rowid, const std::vector<const StoredValue*>& values);
    // The same, with the key values already packed one after another.
    void addPacked(int64_t rowid, std::string exact);
    // The row's stored value of key column `key`; false when the row is unknown.
    bool storedValue(int64_t rowid, size_t key, StoredValue& value) const;
    // Gives key column `key` of a known row a new value.
    void change(int64_t rowid, size_t key, const StoredValue& value);
    // The row ids with this lookup key, in ascending order.
    const std::vector<int64_t>& find(const std::string& key) const;

private:
    std::optional<std::string> lookupKey(const std::string& exact) const;
    void link(const std::string& exact, int64_t rowid);
    void linkKey(const std::string& key, int64_t rowid);
    void unlink(const std::string& exact, int64_t rowid);

    std::vector<size_t> m_positions;
    std::vector<Column> m_keys;
    std::unordered_map<std::string, std::vector<int64_t>> m_rows;  // by lookup key
    std::unordered_map<int64_t, std::string> m_exact;              // each row's key values, packed
};

}  // namespace dalvon::tables

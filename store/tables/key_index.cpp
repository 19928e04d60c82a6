#include "store/tables/key_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text.h"
#include "store/packed_values.h"

namespace dalvon::tables {
namespace {

template <class T>
void appendBytes(std::string& out, const T& value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

// The lookup form of one packed value: equal for values a WHERE finds equal.
void appendLookup(std::string& key, const PackedView& value, const Column& column) {
    switch (value.kind) {
        case 'i':
            key += 'I';
            key.append(value.bytes);
            return;
        case 'r': {
            // A fraction-free double equals the integer of the same value.
            double d = value.real();
            if (d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
                key += 'I';
                appendBytes(key, static_cast<int64_t>(d));
            } else {
                key += 'R';
                appendBytes(key, d);
            }
            return;
        }
        case 't':
            key += column.holdsText() ? 'T' : 'S';
            appendBytes(key, static_cast<uint32_t>(value.bytes.size()));
            if (column.holdsText())
                key += upperCase(value.bytes);
            else
                key.append(value.bytes);
            return;
        case 'b':
            key += 'B';
            appendBytes(key, static_cast<uint32_t>(value.bytes.size()));
            key.append(value.bytes);
            return;
        default:
            return;
    }
}

const std::vector<int64_t> kNoRows;

}  // namespace

std::optional<size_t> KeyIndex::keyOf(size_t position) const {
    auto at = std::find(m_positions.begin(), m_positions.end(), position);
    if (at == m_positions.end())
        return std::nullopt;
    return static_cast<size_t>(at - m_positions.begin());
}

std::optional<std::string> KeyIndex::lookupPart(const StoredValue& value, const Column& column) {
    if (std::holds_alternative<std::monostate>(value))
        return std::nullopt;
    std::string part;
    appendLookup(part, viewOfValue(value), column);
    return part;
}

std::optional<std::string> KeyIndex::lookupKey(const std::string& exact) const {
    std::string key;
    std::vector<std::string_view> parts = packedParts(exact);
    for (size_t i = 0; i < parts.size() && i < m_keys.size(); ++i) {
        PackedView value = viewOf(parts[i]);
        if (value.kind == 'n')
            return std::nullopt;
        appendLookup(key, value, m_keys[i]);
    }
    return key;
}

void KeyIndex::link(const std::string& exact, int64_t rowid) {
    if (std::optional<std::string> key = lookupKey(exact))
        linkKey(*key, rowid);
}

void KeyIndex::linkKey(const std::string& key, int64_t rowid) {
    std::vector<int64_t>& rows = m_rows[key];
    // New rows nearly always have the highest id; the list stays sorted either way.
    if (rows.empty() || rows.back() < rowid) {
        rows.push_back(rowid);
    } else {
        rows.insert(std::lower_bound(rows.begin(), rows.end(), rowid), rowid);
    }
}

void KeyIndex::unlink(const std::string& exact, int64_t rowid) {
    std::optional<std::string> key = lookupKey(exact);
    auto found = key ? m_rows.find(*key) : m_rows.end();
    if (found == m_rows.end())
        return;
    std::vector<int64_t>& rows = found->second;
    auto at = std::lower_bound(rows.begin(), rows.end(), rowid);
    if (at != rows.end() && *at == rowid)
        rows.erase(at);
    if (rows.empty())
        m_rows.erase(found);
}

void KeyIndex::add(int64_t rowid, const std::vector<const StoredValue*>& values) {
    // The lookup key straight from the values: the same as lookupKey of their packed form.
    std::string key;
    bool linked = true;
    for (size_t i = 0; i < values.size() && i < m_keys.size() && linked; ++i) {
        linked = values[i] != nullptr && !std::holds_alternative<std::monostate>(*values[i]);
        if (linked)
            appendLookup(key, viewOfValue(*values[i]), m_keys[i]);
    }
    if (linked)
        linkKey(key, rowid);
    m_exact.insert_or_assign(rowid, packed(values));
}

void KeyIndex::addPacked(int64_t rowid, std::string exact) {
    link(exact, rowid);
    m_exact.insert_or_assign(rowid, std::move(exact));
}

bool KeyIndex::storedValue(int64_t rowid, size_t key, StoredValue& value) const {
    auto found = m_exact.find(rowid);
    if (found == m_exact.end() || key >= m_keys.size())
        return false;
    value = unpackAt(found->second, key);
    return true;
}

void KeyIndex::change(int64_t rowid, size_t key, const StoredValue& value) {
    auto found = m_exact.find(rowid);
    if (found == m_exact.end())
        return;
    std::string exact = repacked(found->second, key, value);
    unlink(found->second, rowid);
    link(exact, rowid);
    found->second = std::move(exact);
}

const std::vector<int64_t>& KeyIndex::find(const std::string& key) const {
    auto found = m_rows.find(key);
    return found == m_rows.end() ? kNoRows : found->second;
}

}  // namespace dalvon::tables

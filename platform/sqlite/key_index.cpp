#include "platform/sqlite/key_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/text.h"

namespace dalvon::sqlite {
namespace {

template <class T>
void appendBytes(std::string& key, const T& value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    key.append(bytes, sizeof(T));
}

// Appends one value's part of a key: a kind byte, then a form in which equal values are equal
// bytes. Texts and blobs carry their length so that parts cannot run into each other.
void appendPart(std::string& key, const StoredValue& value, const Column& column) {
    if (auto* whole = std::get_if<int64_t>(&value)) {
        key += 'I';
        appendBytes(key, *whole);
    } else if (auto* real = std::get_if<double>(&value)) {
        // A fraction-free double equals the integer of the same value.
        double d = *real;
        if (d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
            key += 'I';
            appendBytes(key, static_cast<int64_t>(d));
        } else {
            key += 'R';
            appendBytes(key, d);
        }
    } else if (auto* text = std::get_if<std::string>(&value)) {
        key += column.holdsText() ? 'T' : 'S';
        appendBytes(key, text->size());
        key += column.holdsText() ? upperCase(*text) : *text;
    } else if (auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
        key += 'B';
        appendBytes(key, bytes->size());
        key.append(bytes->begin(), bytes->end());
    }
}

const std::vector<int64_t> kNoRows;

}  // namespace

bool KeyIndex::covers(size_t position) const {
    return std::find(m_positions.begin(), m_positions.end(), position) != m_positions.end();
}

std::optional<std::string> KeyIndex::keyOf(const std::vector<const StoredValue*>& values) const {
    std::string key;
    for (size_t i = 0; i < values.size() && i < m_keys.size(); ++i) {
        if (values[i] == nullptr || std::holds_alternative<std::monostate>(*values[i]))
            return std::nullopt;
        appendPart(key, *values[i], m_keys[i]);
    }
    return key;
}

std::optional<std::string> KeyIndex::partOf(const StoredValue& value, const Column& column) {
    if (std::holds_alternative<std::monostate>(value))
        return std::nullopt;
    std::string part;
    appendPart(part, value, column);
    return part;
}

void KeyIndex::add(const std::string& key, int64_t rowid) {
    std::vector<int64_t>& rows = m_rows[key];
    // New rows nearly always have the highest id; the list stays sorted either way.
    if (rows.empty() || rows.back() < rowid) {
        rows.push_back(rowid);
    } else {
        rows.insert(std::lower_bound(rows.begin(), rows.end(), rowid), rowid);
    }
}

void KeyIndex::remove(const std::string& key, int64_t rowid) {
    auto found = m_rows.find(key);
    if (found == m_rows.end())
        return;
    std::vector<int64_t>& rows = found->second;
    auto at = std::lower_bound(rows.begin(), rows.end(), rowid);
    if (at != rows.end() && *at == rowid)
        rows.erase(at);
    if (rows.empty())
        m_rows.erase(found);
}

const std::vector<int64_t>& KeyIndex::find(const std::string& key) const {
    auto found = m_rows.find(key);
    return found == m_rows.end() ? kNoRows : found->second;
}

}  // namespace dalvon::sqlite

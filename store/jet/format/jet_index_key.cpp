#include "store/jet/format/jet_index_key.h"

#include <bit>

#include "store/jet/format/jet_sort_key.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {
namespace {

constexpr uint8_t kAscending = 0x7F;
constexpr uint8_t kDescending = 0x80;
constexpr uint8_t kAscendingNull = 0x00;
constexpr uint8_t kDescendingNull = 0xFF;
constexpr uint32_t kGeneralLegacy = 0x0409;
// A Jet 3 descriptor holds the LCID and the code page (1252) where Jet 4 has the sort version.
constexpr uint32_t kGeneral97 = 0x04E4'0409;

using Key = std::vector<uint8_t>;

void appendBigEndian(Key& key, uint64_t value, size_t bytes) {
    for (size_t i = bytes; i-- > 0;)
        key.push_back(static_cast<uint8_t>(value >> (i * 8)));
}

void invertFrom(Key& key, size_t start) {
    for (size_t i = start; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(~key[i]);
}

// Two's complement integers sort as unsigned once their sign bit is flipped.
void appendInteger(Key& key, int64_t value, size_t bytes) {
    const size_t start = key.size();
    appendBigEndian(key, static_cast<uint64_t>(value), bytes);
    key[start] ^= 0x80;
}

// IEEE values sort as unsigned when positives get the sign bit flipped and negatives are
// inverted whole.
void appendFloating(Key& key, uint64_t bits, size_t bytes) {
    const size_t start = key.size();
    appendBigEndian(key, bits, bytes);
    if (key[start] & 0x80) {
        invertFrom(key, start);
    } else {
        key[start] ^= 0x80;
    }
}

bool appendValue(Key& key, const KeyColumn& column, const Variant& value) {
    switch (column.type) {
        case kBoolean:
            key.push_back(value.toBoolean() ? 0x00 : 0xFF);
            return true;
        case kByte:
            key.push_back(static_cast<uint8_t>(value.toLong()));
            return true;
        case kInteger:
            appendInteger(key, value.toInteger(), 2);
            return true;
        case kLong:
            appendInteger(key, value.toLong(), 4);
            return true;
        case kCurrency:
            appendInteger(key, value.asCurrency().scaled, 8);
            return true;
        case kSingle:
            appendFloating(key, std::bit_cast<uint32_t>(static_cast<float>(value.toDouble())), 4);
            return true;
        case kDouble:
            appendFloating(key, std::bit_cast<uint64_t>(value.toDouble()), 8);
            return true;
        case kDateTime:
            appendFloating(key, std::bit_cast<uint64_t>(value.asDate().oleDays), 8);
            return true;
        case kText:
        case kMemo: {
            if (!value.isString())
                return false;
            std::optional<std::vector<uint8_t>> text;
            if (column.sortOrder == kGeneralLegacy)
                text = generalTextKey(value.asString(), column.ascending);
            else if (column.sortOrder == kGeneral97)
                text = general97TextKey(value.asString(), column.ascending);
            if (text)
                key.insert(key.end(), text->begin(), text->end());
            return text.has_value();
        }
        default:
            return false;
    }
}

}  // namespace

std::optional<std::vector<uint8_t>> encodeIndexKey(const std::vector<KeyColumn>& columns,
                                                   const std::vector<Variant>& values) {
    Key key;
    for (size_t i = 0; i < columns.size(); ++i) {
        const KeyColumn& column = columns[i];
        const Variant& value = i < values.size() ? values[i] : Variant::null();
        if (value.isNull() && column.type != kBoolean) {
            key.push_back(column.ascending ? kAscendingNull : kDescendingNull);
            continue;
        }
        key.push_back(column.ascending ? kAscending : kDescending);
        const size_t start = key.size();
        if (!appendValue(key, column, value))
            return std::nullopt;
        // Text keys carry their own descending form.
        if (!column.ascending && column.type != kText && column.type != kMemo)
            invertFrom(key, start);
    }
    return key;
}

}  // namespace dalvon::jet

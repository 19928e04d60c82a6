#include "store/jet/format/jet_value_codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/fault.h"
#include "store/faults.h"

namespace dalvon::jet {
namespace {

template <typename T>
std::vector<uint8_t> little(T value) {
    std::vector<uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

uint32_t decodeUtf8(std::string_view text, size_t& i) {
    const auto lead = static_cast<uint8_t>(text[i++]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return 0xFFFD;
    uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        code = code << 6 | (static_cast<uint8_t>(text[i++]) & 0x3F);
    }
    return code;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional); the first three groups are stored
// little-endian.
std::vector<uint8_t> encodeGuid(const std::string& text) {
    std::vector<uint8_t> digits;
    for (char c : text) {
        if (c == '{' || c == '}' || c == '-')
            continue;
        if (hexDigit(c) < 0)
            throw faults::typeMismatch("GUID '" + text + "'");
        digits.push_back(static_cast<uint8_t>(hexDigit(c)));
    }
    if (digits.size() != 32)
        throw faults::typeMismatch("GUID '" + text + "'");
    std::vector<uint8_t> bytes(16);
    for (size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<uint8_t>(digits[2 * i] << 4 | digits[2 * i + 1]);
    std::reverse(bytes.begin(), bytes.begin() + 4);
    std::reverse(bytes.begin() + 4, bytes.begin() + 6);
    std::reverse(bytes.begin() + 6, bytes.begin() + 8);
    return bytes;
}

std::vector<uint8_t> binaryOf(const Variant& value) {
    if (value.kind() == VariantKind::Binary)
        return value.asBinary();
    const std::string text = value.toText();
    return {text.begin(), text.end()};
}

[[noreturn]] void tooSmall(const JetColumn& column) {
    throw faults::fieldTooSmall(column.name);
}

int64_t currencyOf(const Variant& value) {
    if (value.kind() == VariantKind::Currency)
        return value.asCurrency().scaled;
    return std::llround(value.toDouble() * 10000.0);
}

double dateOf(const Variant& value) {
    return value.kind() == VariantKind::Date ? value.asDate().oleDays : value.toDouble();
}

}  // namespace

std::u16string utf16Of(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const uint32_t code = decodeUtf8(utf8, i);
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

std::vector<uint8_t> ucs2Bytes(std::string_view utf8) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : utf16Of(utf8)) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<uint8_t> encodeJet4Text(std::string_view utf8, bool compressible) {
    const std::u16string units = utf16Of(utf8);
    bool oneByte = compressible && units.size() > 2 && units.size() <= 1024;
    for (size_t i = 0; oneByte && i < units.size(); ++i)
        oneByte = units[i] >= 0x01 && units[i] <= 0xFF;
    if (!oneByte)
        return ucs2Bytes(utf8);
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t unit : units)
        bytes.push_back(static_cast<uint8_t>(unit));
    return bytes;
}

std::vector<uint8_t> encodeValue(const JetColumn& column, const Variant& value) {
    switch (column.type) {
        case kBoolean:
            return {};
        case kByte:
            return {static_cast<uint8_t>(value.toLong())};
        case kInteger:
            return little(value.toInteger());
        case kLong:
            return little(value.toLong());
        case kCurrency:
            return little(currencyOf(value));
        case kSingle:
            return little(static_cast<float>(value.toDouble()));
        case kDouble:
            return little(value.toDouble());
        case kDateTime:
            return little(dateOf(value));
        case kGuid:
            return encodeGuid(value.toText());
        case kText: {
            const std::string text = value.toText();
            if (utf16Of(text).size() * 2 > column.length)
                tooSmall(column);
            return encodeJet4Text(text, column.compressible);
        }
        case kMemo:
            return encodeJet4Text(value.toText(), column.compressible);
        case kBinary: {
            std::vector<uint8_t> bytes = binaryOf(value);
            if (bytes.size() > column.length)
                tooSmall(column);
            return bytes;
        }
        case kOle:
            return binaryOf(value);
        default:
            throw faults::readOnlyDatabase(" (Column '" + column.name +
                                           "' has a type this program does not write.)");
    }
}

}  // namespace dalvon::jet

#include "store/packed_values.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dalvon {
namespace {

constexpr size_t kHeader = 1 + sizeof(uint32_t);

void appendPart(std::string& out, char kind, const void* data, size_t size) {
    out += kind;
    auto length = static_cast<uint32_t>(size);
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(static_cast<const char*>(data), size);
}

uint32_t lengthAt(std::string_view packed, size_t at) {
    uint32_t length = 0;
    std::memcpy(&length, packed.data() + at + 1, sizeof length);
    return length;
}

// The value whose header starts at `at`.
StoredValue valueAt(std::string_view packed, size_t at) {
    uint32_t length = lengthAt(packed, at);
    const char* data = packed.data() + at + kHeader;
    switch (packed[at]) {
        case 'i': {
            int64_t whole = 0;
            std::memcpy(&whole, data, sizeof whole);
            return whole;
        }
        case 'r': {
            double real = 0;
            std::memcpy(&real, data, sizeof real);
            return real;
        }
        case 't':
            return std::string(data, length);
        case 'b':
            return std::vector<uint8_t>(data, data + length);
        default:
            return std::monostate{};
    }
}

// Where the value at `index` starts; the size of the string past the end.
size_t offsetOf(const std::string& packed, size_t index) {
    size_t at = 0;
    for (size_t i = 0; i < index && at < packed.size(); ++i)
        at += kHeader + lengthAt(packed, at);
    return at;
}

}  // namespace

void appendPacked(std::string& out, const StoredValue& value) {
    PackedView view = viewOfValue(value);
    appendPart(out, view.kind, view.bytes.data(), view.bytes.size());
}

std::string packed(const std::vector<const StoredValue*>& values) {
    // Sized at once: many packed rows are held in memory, and growing by appends leaves slack.
    static const StoredValue kNull;
    size_t size = 0;
    for (const StoredValue* value : values)
        size += kHeader + viewOfValue(value ? *value : kNull).bytes.size();
    std::string out;
    out.reserve(size);
    for (const StoredValue* value : values)
        appendPacked(out, value ? *value : StoredValue());
    return out;
}

StoredValue unpackAt(const std::string& packed, size_t index) {
    size_t at = offsetOf(packed, index);
    return at < packed.size() ? valueAt(packed, at) : StoredValue();
}

std::vector<std::string_view> packedParts(const std::string& packed) {
    std::vector<std::string_view> parts;
    parts.reserve(16);
    for (size_t at = 0; at < packed.size();) {
        size_t size = kHeader + lengthAt(packed, at);
        parts.emplace_back(packed.data() + at, size);
        at += size;
    }
    return parts;
}

int64_t PackedView::whole() const {
    int64_t value = 0;
    std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    return value;
}

double PackedView::real() const {
    double value = 0;
    std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    return value;
}

PackedView viewOf(std::string_view part) {
    return PackedView{part[0], part.substr(kHeader, lengthAt(part, 0))};
}

PackedView viewOfValue(const StoredValue& value) {
    auto bytesOf = [](const auto& number) {
        return std::string_view(reinterpret_cast<const char*>(&number), sizeof number);
    };
    if (auto* whole = std::get_if<int64_t>(&value))
        return PackedView{'i', bytesOf(*whole)};
    if (auto* real = std::get_if<double>(&value))
        return PackedView{'r', bytesOf(*real)};
    if (auto* text = std::get_if<std::string>(&value))
        return PackedView{'t', *text};
    if (auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
        return PackedView{
            'b', std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())};
    }
    return PackedView{'n', {}};
}

std::string repacked(const std::string& packed, size_t index, const StoredValue& value) {
    size_t at = offsetOf(packed, index);
    if (at >= packed.size())
        return packed;
    std::string out = packed.substr(0, at);
    appendPacked(out, value);
    out.append(packed, at + kHeader + lengthAt(packed, at));
    return out;
}

}  // namespace dalvon

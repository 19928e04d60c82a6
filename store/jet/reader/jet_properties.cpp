#include "store/jet/reader/jet_properties.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "store/jet/format/jet_text.h"
#include "store/jet/format/jet_value_codec.h"

namespace dalvon::jet {
namespace {

constexpr uint8_t kMagic[] = {'M', 'R', '2', 0};
constexpr uint16_t kNamesChunk = 0x80;
constexpr size_t kChunkHead = 6;      // length, kind
constexpr size_t kNameBlockHead = 6;  // length, byte count

uint32_t get32(Bytes bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t get16(Bytes bytes, size_t at) {
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

void append(std::vector<uint8_t>& out, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A property set's name block within `chunk` (after its head), or nothing when it is malformed.
std::optional<Bytes> nameBlock(Bytes chunk) {
    if (chunk.size() < kChunkHead + kNameBlockHead)
        return std::nullopt;
    const uint32_t length = get32(chunk, kChunkHead);
    if (length < kNameBlockHead || length > chunk.size() - kChunkHead ||
        kNameBlockHead + get16(chunk, kChunkHead + 4) > length)
        return std::nullopt;
    return chunk.subspan(kChunkHead, length);
}

// The chunk with its name block replaced by one naming `name`.
std::vector<uint8_t> renamedChunk(Bytes chunk, Bytes block, const std::string& name) {
    const std::vector<uint8_t> text = ucs2Bytes(name);
    const Bytes values = chunk.subspan(kChunkHead + block.size());
    std::vector<uint8_t> out;
    append(out, kChunkHead + kNameBlockHead + text.size() + values.size(), 4);
    append(out, get16(chunk, 4), 2);
    append(out, kNameBlockHead + text.size(), 4);
    append(out, text.size(), 2);
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> renamePropertySet(Bytes blob, const std::string& oldName,
                                                      const std::string& newName) {
    if (blob.size() < sizeof kMagic || !std::equal(kMagic, kMagic + sizeof kMagic, blob.begin()))
        return std::nullopt;
    std::vector<uint8_t> out(blob.begin(), blob.begin() + sizeof kMagic);
    bool renamed = false;
    for (size_t at = sizeof kMagic; at < blob.size();) {
        if (blob.size() - at < kChunkHead)
            return std::nullopt;
        const uint32_t length = get32(blob, at);
        if (length < kChunkHead || length > blob.size() - at)
            return std::nullopt;
        const Bytes chunk = blob.subspan(at, length);
        at += length;
        if (get16(chunk, 4) == kNamesChunk) {
            out.insert(out.end(), chunk.begin(), chunk.end());
            continue;
        }
        const std::optional<Bytes> block = nameBlock(chunk);
        if (!block)
            return std::nullopt;
        const std::string name = decodeUcs2(block->subspan(kNameBlockHead, get16(*block, 4)));
        if (!renamed && !name.empty() && equalsIgnoreCase(name, oldName)) {
            const std::vector<uint8_t> changed = renamedChunk(chunk, *block, newName);
            out.insert(out.end(), changed.begin(), changed.end());
            renamed = true;
        } else {
            out.insert(out.end(), chunk.begin(), chunk.end());
        }
    }
    if (!renamed)
        return std::nullopt;
    return out;
}

}  // namespace dalvon::jet

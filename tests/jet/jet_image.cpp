#include "tests/jet/jet_image.h"

#include <array>
#include <cstring>

namespace dalvon::jet_test {

JetImage::JetImage(bool jet4) : m_jet4(jet4), m_bytes(size_t{3} * (jet4 ? 4096 : 2048), 0) {
    m_bytes[1] = 1;
    std::memcpy(&m_bytes[4], "Standard Jet DB", 15);
    m_bytes[0x14] = jet4 ? 1 : 0;
    const std::array<uint8_t, 4> key = {0xC7, 0xDA, 0x39, 0x6B};
    const auto mask = jet::rc4Keystream(key, jet4 ? 128 : 126);
    std::memcpy(&m_bytes[0x18], mask.data(), mask.size());
}

uint32_t JetImage::addPage(uint8_t type, uint8_t filler) {
    const auto number = static_cast<uint32_t>(m_bytes.size() / pageSize());
    m_bytes.resize(m_bytes.size() + pageSize(), filler);
    *at(number, 0) = type;
    *at(number, 1) = 1;
    return number;
}

uint32_t JetImage::addDataPage(uint32_t owner, const std::vector<std::vector<uint8_t>>& rows,
                               const std::vector<uint16_t>& flags) {
    const uint32_t number = addPage(0x01);
    const size_t base = number * size_t{pageSize()};
    put(base + 4, le32(owner));
    put(base + (m_jet4 ? 12 : 8), le16(static_cast<uint16_t>(rows.size())));
    size_t end = pageSize();
    for (size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        put(base + end, rows[i]);
        const uint16_t flag = i < flags.size() ? flags[i] : 0;
        put(base + (m_jet4 ? 14 : 10) + 2 * i, le16(static_cast<uint16_t>(end | flag)));
    }
    return number;
}

void JetImage::put(size_t offset, const std::vector<uint8_t>& bytes) {
    std::memcpy(&m_bytes[offset], bytes.data(), bytes.size());
}

std::vector<uint8_t> le16(uint16_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

std::vector<uint8_t> le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<uint8_t> ucs2(const std::u16string& text) {
    std::vector<uint8_t> out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

}  // namespace dalvon::jet_test

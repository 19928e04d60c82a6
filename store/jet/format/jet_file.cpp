#include "store/jet/format/jet_file.h"

#include <array>
#include <cstring>
#include <utility>

#include "store/faults.h"

namespace dalvon::jet {
namespace {

constexpr std::string_view kSignature = "Standard Jet DB";
constexpr size_t kSignatureOffset = 4;
constexpr size_t kVersionOffset = 0x14;
constexpr size_t kMaskedStart = 0x18;
constexpr size_t kCodePageOffset = 0x3C;
constexpr size_t kPageKeyOffset = 0x3E;
constexpr std::array<uint8_t, 4> kHeaderMaskKey = {0xC7, 0xDA, 0x39, 0x6B};

}  // namespace

std::vector<uint8_t> rc4Keystream(Bytes key, size_t length) {
    std::array<uint8_t, 256> state;
    for (size_t i = 0; i < state.size(); ++i)
        state[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (size_t i = 0; i < state.size(); ++i) {
        j = static_cast<uint8_t>(j + state[i] + key[i % key.size()]);
        std::swap(state[i], state[j]);
    }
    std::vector<uint8_t> stream(length);
    uint8_t a = 0;
    uint8_t b = 0;
    for (auto& out : stream) {
        a = static_cast<uint8_t>(a + 1);
        b = static_cast<uint8_t>(b + state[a]);
        std::swap(state[a], state[b]);
        out = state[static_cast<uint8_t>(state[a] + state[b])];
    }
    return stream;
}

bool JetFile::recognises(std::string_view header) {
    if (header.size() <= kVersionOffset)
        return false;
    if (header.substr(kSignatureOffset, kSignature.size()) != kSignature)
        return false;
    const auto version = static_cast<uint8_t>(header[kVersionOffset]);
    return version == 0 || version == 1;
}

JetFile::JetFile(std::vector<uint8_t> bytes, std::string displayPath)
    : m_bytes(std::move(bytes)), m_displayPath(std::move(displayPath)) {
    readHeader();
}

void JetFile::readHeader() {
    std::string_view header(reinterpret_cast<const char*>(m_bytes.data()),
                            std::min<size_t>(m_bytes.size(), 128));
    if (!recognises(header))
        damaged("The file has no Jet 3 or Jet 4 signature.");
    m_jet4 = m_bytes[kVersionOffset] == 1;
    m_pageSize = m_jet4 ? 4096 : 2048;
    m_pageCount = static_cast<uint32_t>(m_bytes.size() / m_pageSize);
    if (m_pageCount < 3)
        damaged("The file is shorter than its first three pages.");
    const size_t maskedLength = m_jet4 ? 128 : 126;
    const auto mask = rc4Keystream(kHeaderMaskKey, maskedLength);
    std::vector<uint8_t> clear(m_bytes.begin() + kMaskedStart,
                               m_bytes.begin() + kMaskedStart + maskedLength);
    for (size_t i = 0; i < clear.size(); ++i)
        clear[i] ^= mask[i];
    Bytes fields(clear);
    m_codePage = readU16(*this, fields, kCodePageOffset - kMaskedStart);
    if (readU32(*this, fields, kPageKeyOffset - kMaskedStart) != 0) {
        damaged("Its pages are encoded, which this program cannot read.");
    }
}

Bytes JetFile::page(uint32_t number) const {
    if (number >= m_pageCount) {
        damaged("Page " + std::to_string(number) + " lies beyond the end of the file (" +
                std::to_string(m_pageCount) + " pages).");
    }
    return Bytes(m_bytes).subspan(size_t{number} * m_pageSize, m_pageSize);
}

Bytes JetFile::page(uint32_t number, uint8_t expectedType, std::string_view purpose) const {
    Bytes bytes = page(number);
    if (bytes[0] != expectedType) {
        damaged("Page " + std::to_string(number) + " should hold " + std::string(purpose) +
                " but has page type " + std::to_string(bytes[0]) + ".");
    }
    return bytes;
}

uint16_t JetFile::rowCount(Bytes dataPage) const {
    const uint16_t count = readU16(*this, dataPage, m_jet4 ? 12 : 8);
    const size_t slotsStart = m_jet4 ? 14 : 10;
    if (slotsStart + size_t{count} * 2 > m_pageSize)
        damaged("A data page has too many rows.");
    return count;
}

uint16_t JetFile::rowSlot(Bytes dataPage, uint16_t index) const {
    return readU16(*this, dataPage, (m_jet4 ? 14 : 10) + size_t{index} * 2);
}

Bytes JetFile::row(RowPointer where, uint16_t* flags) const {
    Bytes bytes = page(where.page, 0x01, "data rows");
    const uint16_t count = rowCount(bytes);
    if (where.row >= count) {
        damaged("Row " + std::to_string(where.row) + " of page " + std::to_string(where.page) +
                " does not exist.");
    }
    const uint16_t slot = rowSlot(bytes, where.row);
    const size_t start = slot & 0x1FFF;
    const size_t end = where.row == 0 ? m_pageSize : rowSlot(bytes, where.row - 1) & 0x1FFF;
    const size_t slotsEnd = (m_jet4 ? 14 : 10) + size_t{count} * 2;
    if (start < slotsEnd || start > end || end > m_pageSize) {
        damaged("Row " + std::to_string(where.row) + " of page " + std::to_string(where.page) +
                " lies outside its page.");
    }
    if (flags)
        *flags = slot & 0xE000;
    return bytes.subspan(start, end - start);
}

uint8_t* JetFile::mutablePage(uint32_t number) {
    page(number);
    return m_bytes.data() + size_t{number} * m_pageSize;
}

uint32_t JetFile::appendPage() {
    m_bytes.resize(m_bytes.size() + m_pageSize, 0);
    return m_pageCount++;
}

void JetFile::truncatePages(uint32_t count) {
    if (count < m_pageCount) {
        m_pageCount = count;
        m_bytes.resize(size_t{count} * m_pageSize);
    }
}

void JetFile::damaged(const std::string& what) const {
    throw faults::unrecognizedFormat(m_displayPath, what);
}

void JetFile::corrupt(const std::string& what) const {
    throw faults::databaseCorrupt(m_displayPath, " " + what);
}

std::string damageOf(const std::exception& error) {
    const auto* fault = dynamic_cast<const Fault*>(&error);
    if (!fault)
        return error.what();
    const std::string& text = fault->description();
    const std::string_view lead = "Unrecognized database format '";
    const size_t end = text.find("'. ");
    if (text.rfind(lead, 0) == 0 && end != std::string::npos)
        return text.substr(end + 3);
    return text;
}

uint8_t readU8(const JetFile& file, Bytes bytes, size_t offset) {
    return readRange(file, bytes, offset, 1)[0];
}

uint16_t readU16(const JetFile& file, Bytes bytes, size_t offset) {
    Bytes b = readRange(file, bytes, offset, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t readU24(const JetFile& file, Bytes bytes, size_t offset) {
    Bytes b = readRange(file, bytes, offset, 3);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16;
}

uint32_t readU32(const JetFile& file, Bytes bytes, size_t offset) {
    Bytes b = readRange(file, bytes, offset, 4);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

Bytes readRange(const JetFile& file, Bytes bytes, size_t offset, size_t length) {
    if (offset > bytes.size() || length > bytes.size() - offset) {
        file.damaged("A length or offset points past the end of its page or record.");
    }
    return bytes.subspan(offset, length);
}

RowPointer readRowPointer(const JetFile& file, Bytes bytes, size_t offset) {
    return RowPointer{readU24(file, bytes, offset + 1), readU8(file, bytes, offset)};
}

}  // namespace dalvon::jet

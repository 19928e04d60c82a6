#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dalvon::jet {

using Bytes = std::span<const uint8_t>;

// A row pointer as data rows and table definitions store it: row number and page number.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    bool operator==(const RowPointer&) const = default;
};

// The whole file in memory (the plant's databases are a few megabytes at most), its format
// version and the header fields the reader needs. Every access is bounds-checked: a damaged
// file gives Fault 3343 naming the file and the damage, never a read outside the buffer.
class JetFile {
public:
    // Fault 3343 when the bytes are no Jet 3 / Jet 4 database or the pages are encoded.
    JetFile(std::vector<uint8_t> bytes, std::string displayPath);

    // True when a file's first bytes carry the Jet signature and a known version.
    static bool recognises(std::string_view header);

    bool isJet4() const { return m_jet4; }
    uint32_t pageSize() const { return m_pageSize; }
    uint32_t pageCount() const { return m_pageCount; }
    uint16_t codePage() const { return m_codePage; }
    const std::string& displayPath() const { return m_displayPath; }

    // The bytes of page `number`; Fault 3343 when it lies outside the file.
    Bytes page(uint32_t number) const;
    // Like page(), and also checks the page's type byte.
    Bytes page(uint32_t number, uint8_t expectedType, std::string_view purpose) const;
    // The bytes of a row of a data page (Fault 3343 when the slot or its extent is bad) and
    // the flags of its offset slot.
    Bytes row(RowPointer where, uint16_t* flags = nullptr) const;
    uint16_t rowCount(Bytes dataPage) const;
    uint16_t rowSlot(Bytes dataPage, uint16_t index) const;

    // Fault 3343 "Unrecognized database format '<path>'. <what>".
    [[noreturn]] void damaged(const std::string& what) const;
    // Fault 3049: a file of this format whose content is damaged. <what> names the damage.
    [[noreturn]] void corrupt(const std::string& what) const;

    // For the writer, which changes the image in place. A pointer or span into the image is
    // invalidated by appendPage() and truncatePages().
    uint8_t* mutablePage(uint32_t number);
    // Adds a zero-filled page at the end and returns its number.
    uint32_t appendPage();
    // Drops the pages from `count` on (undoing appends).
    void truncatePages(uint32_t count);
    Bytes image() const { return m_bytes; }

private:
    void readHeader();

    std::vector<uint8_t> m_bytes;
    std::string m_displayPath;
    bool m_jet4 = true;
    uint32_t m_pageSize = 4096;
    uint32_t m_pageCount = 0;
    uint16_t m_codePage = 1252;
};

// What a fault says about the damage, without the "Unrecognized database format '<path>'. "
// that damaged() puts in front; other faults' descriptions whole.
std::string damageOf(const std::exception& error);

// Little-endian readers over a span; Fault 3343 through `file` when the range leaves the span.
uint8_t readU8(const JetFile& file, Bytes bytes, size_t offset);
uint16_t readU16(const JetFile& file, Bytes bytes, size_t offset);
uint32_t readU24(const JetFile& file, Bytes bytes, size_t offset);
uint32_t readU32(const JetFile& file, Bytes bytes, size_t offset);
Bytes readRange(const JetFile& file, Bytes bytes, size_t offset, size_t length);
RowPointer readRowPointer(const JetFile& file, Bytes bytes, size_t offset);

// The RC4 keystream of `key`, `length` bytes long (masks the database header).
std::vector<uint8_t> rc4Keystream(Bytes key, size_t length);

}  // namespace dalvon::jet

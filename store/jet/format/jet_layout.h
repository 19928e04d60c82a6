#pragma once

// The Jet 4 byte layout that the reader, the writer and the checker share: little-endian
// numbers, the page size, page types, the flags of a data page's row slots and where an index
// page keeps its entries. Facts about the format only; no file access.
#include <cstddef>
#include <cstdint>

namespace dalvon::jet {

inline constexpr size_t kPageSize = 4096;

// The first byte of every page but the header.
enum PageType : uint8_t {
    kDataPage = 0x01,
    kDefinitionPage = 0x02,
    kIndexNodePage = 0x03,
    kIndexLeafPage = 0x04,
    kUsageMapPage = 0x05,
};

// Flags in the high bits of a row-offset slot: the row is deleted, or it is a pointer to the
// row's new place.
inline constexpr uint16_t kRowDeleted = 0x8000;
inline constexpr uint16_t kRowMoved = 0x4000;

// Index pages: the entry bitmap and the entries.
inline constexpr size_t kIndexBitmapStart = 0x1B;
inline constexpr size_t kIndexEntriesStart = 0x1E0;
inline constexpr size_t kIndexEntryRoom = kPageSize - kIndexEntriesStart;

inline uint16_t get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

inline void put16(uint8_t* at, size_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <utility>

#include "store/jet/format/jet_file.h"
#include "store/jet/format/jet_layout.h"

// Jet 4 data pages as the writer changes them: a 14-byte header, the row-offset slots, and the
// rows placed from the page end downward in slot order.
namespace dalvon::jet::datapage {

inline constexpr uint32_t kMaxRows = 255;
inline constexpr uint16_t kDeleted = kRowDeleted;
inline constexpr uint16_t kMoved = kRowMoved;
// A removed row (or a dropped copy of a moved row) carries both flags, as other writers mark
// it; some readers skip only rows with 0x4000 set.
inline constexpr uint16_t kRemoved = kDeleted | kMoved;
// The owner field of long-value pages: the bytes "LVAL".
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;

// An empty data page owned by the table definition at `owner` (or kLongValueOwner, or 0).
void initialise(uint8_t* page, uint32_t owner);
uint16_t rowCount(const uint8_t* page);
uint16_t freeSpace(const uint8_t* page);
uint32_t owner(const uint8_t* page);
// True when a row of `length` bytes and its slot fit and the page has fewer than 255 rows.
bool fits(const uint8_t* page, size_t length);
// Places a row below the lowest one and returns its slot; the caller checked fits().
uint8_t append(uint8_t* page, Bytes row, uint16_t flags = 0);
// Start and end of the space a slot's row occupies (padding left by updates included).
std::pair<size_t, size_t> extent(const uint8_t* page, uint16_t slot);
uint16_t flags(const uint8_t* page, uint16_t slot);
void setFlags(uint8_t* page, uint16_t slot, uint16_t flags);
// Lays the rows out again with the row of `slot` replaced by `row` (any length); the other rows
// keep their slots and bytes. False, with the page unchanged, when they would not fit.
bool replace(uint8_t* page, uint16_t slot, Bytes row);

}  // namespace dalvon::jet::datapage

#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace dalvon::jet {

// Jet 4 text as stored: plain UCS-2LE, or "compressed" (FF FE, then runs of one-byte
// characters and UCS-2 separated by 00 bytes). Returns UTF-8; unpaired surrogates become U+FFFD.
std::string decodeJet4Text(std::span<const uint8_t> bytes);
std::string decodeUcs2(std::span<const uint8_t> bytes);

// Jet 3 text in the database's code page. Windows-1252 is what every plant file uses; any
// other code page is read as Windows-1252 too.
std::string decodeCodePageText(std::span<const uint8_t> bytes, uint16_t codePage);

// A GUID in its registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hex); the
// first three groups are little-endian in the file. `bytes` must hold 16 bytes.
std::string formatGuid(std::span<const uint8_t> bytes);

}  // namespace dalvon::jet

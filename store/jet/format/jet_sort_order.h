#pragma once

#include <cstdint>

namespace dalvon::jet {

// How the General (legacy) sort order - the text order of Jet 4 files made with LCID 1033, sort
// version 0 - treats one character in a text index key (docs/jet-sort-keys.md):
//   kSimple:      its code bytes go into the key;
//   kAccented:    the code of its base letter goes into the key, its accent code into the
//                 key's extra section;
//   kUnprintable: nothing inline; its position and code go into the key's last section;
//   kIgnored:     it leaves no trace in the key.
enum SortClass : uint8_t { kIgnored, kSimple, kAccented, kUnprintable };

struct SortCode {
    char32_t character = 0;
    SortClass kind = kIgnored;
    uint8_t code[2] = {};  // inline code bytes; a second byte of 0 is absent
    uint8_t extra = 0;     // kAccented: the accent code; kUnprintable: the character's code
    bool kana = false;     // a kana, which adds the kana section to the key
};

// The code of a character Windows-1252 holds (U+0000 to U+00FF and the 27 characters the code
// page puts at 0x80 to 0x9F), or of one of the few others the Access-made samples show
// (docs/jet-sort-keys.md); nullptr for any other character.
const SortCode* generalSortCode(char32_t c);

// The code of a character in the Jet 3 "General 97" order (LCID 1033, code page 1252): the
// digits, `_` and the letters the samples show, case-insensitive; 0 for any other character.
uint8_t general97SortCode(char32_t c);

}  // namespace dalvon::jet

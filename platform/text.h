#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dalvon {

// Every text inside the program is UTF-8. Upper-casing and case-insensitive comparison cover
// ASCII and the Latin-1 letters (ä -> Ä, ÿ stays); other characters are left as they are.
std::string upperCase(std::string_view utf8);
// True when every byte is ASCII.
bool isAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Text order without regard to case, as equalsIgnoreCase compares: negative, zero or positive.
int compareTextIgnoringCase(std::string_view a, std::string_view b);

// The 1-based position of the first occurrence of `needle` in `haystack`, or 0 (like InStr).
size_t findText(std::string_view haystack, std::string_view needle);

// findText(upperCase(haystack), upperCase(needle)), without building the upper-cased copies
// when both texts are ASCII.
size_t findTextIgnoringCase(std::string_view haystack, std::string_view needle);

// Windows-1252 at the boundary of the 8-bit files (profiles, logs). Characters that
// Windows-1252 cannot hold become '?'.
std::string utf8ToCp1252(std::string_view utf8);
std::string cp1252ToUtf8(std::string_view cp1252);

// Number of characters (code points) of a UTF-8 text, and the first `count` of them.
size_t characterCount(std::string_view utf8);
std::string firstCharacters(std::string_view utf8, size_t count);

// Removes leading and trailing blanks (spaces only, like Trim).
std::string trimBlanks(std::string_view text);

// Two upper-case hexadecimal digits per byte ("00FF1A").
std::string hexText(std::span<const uint8_t> bytes);

}  // namespace dalvon

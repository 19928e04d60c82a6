#include "platform/text.h"

#include <array>

namespace dalvon {
namespace {

// Code points 0x80..0x9F of Windows-1252; 0 where the code page has no character.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one code point; invalid bytes come back as themselves (Latin-1 reading).
char32_t decode(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (c < 0x80 || extra == 0 || i + extra >= s.size()) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t upper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z')
        return cp - 32;
    // Latin-1 lower-case letters à..þ except the division sign ÷.
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)
        return cp - 32;
    return cp;
}

// An ASCII letter in upper case; any other byte as it is.
char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

}  // namespace

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

std::string upperCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += upperAscii(utf8[i++]);
            continue;
        }
        size_t start = i;
        char32_t cp = decode(utf8, i);
        char32_t up = upper(cp);
        if (up == cp) {
            out.append(utf8.substr(start, i - start));
        } else {
            encode(up, out);
        }
    }
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    // Upper-casing keeps each character's length: texts of different lengths differ.
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80)
            return upperCase(a.substr(i)) == upperCase(b.substr(i));
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    }
    return true;
}

size_t findText(std::string_view haystack, std::string_view needle) {
    if (haystack.empty())
        return 0;  // InStr gives 0 here even for an empty needle
    size_t p = haystack.find(needle);
    return p == std::string_view::npos ? 0 : p + 1;
}

size_t findTextIgnoringCase(std::string_view haystack, std::string_view needle) {
    // Upper-casing turns no other character into an ASCII one and keeps every character's
    // length, so an ASCII needle can be matched byte for byte with ASCII folding.
    if (!isAscii(needle))
        return findText(upperCase(haystack), upperCase(needle));
    if (haystack.empty())
        return 0;
    if (needle.empty())
        return 1;
    if (needle.size() > haystack.size())
        return 0;
    // Candidates are found by the needle's first character in either case.
    char first = upperAscii(needle[0]);
    char other = first >= 'A' && first <= 'Z' ? static_cast<char>(first + 32) : first;
    size_t last = haystack.size() - needle.size();
    for (size_t at = 0; at <= last; ++at) {
        if (first == other) {
            at = haystack.find(first, at);
            if (at == std::string_view::npos || at > last)
                return 0;
        } else if (haystack[at] != first && haystack[at] != other) {
            continue;
        }
        size_t i = 1;
        while (i < needle.size() && upperAscii(haystack[at + i]) == upperAscii(needle[i]))
            ++i;
        if (i == needle.size())
            return at + 1;
    }
    return 0;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = decode(utf8, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        // The five bytes the code page leaves unassigned were read as C1 controls; they go
        // back as themselves so that a file passes through unchanged.
        bool unassigned = cp >= 0x80 && cp <= 0x9F && kCp1252High[cp - 0x80] == 0;
        char mapped = unassigned ? static_cast<char>(cp) : '?';
        for (size_t k = 0; k < kCp1252High.size() && !unassigned; ++k) {
            if (kCp1252High[k] == cp)
                mapped = static_cast<char>(0x80 + k);
        }
        out += mapped;
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (char c : cp1252) {
        auto byte = static_cast<unsigned char>(c);
        char32_t cp = byte;
        if (byte >= 0x80 && byte <= 0x9F) {
            cp = kCp1252High[byte - 0x80];
            if (cp == 0)
                cp = byte;  // undefined in the code page: keep the C1 control
        }
        encode(cp, out);
    }
    return out;
}

size_t characterCount(std::string_view utf8) {
    size_t count = 0;
    for (size_t i = 0; i < utf8.size(); ++count)
        decode(utf8, i);
    return count;
}

std::string firstCharacters(std::string_view utf8, size_t count) {
    size_t i = 0;
    for (size_t n = 0; n < count && i < utf8.size(); ++n)
        decode(utf8, i);
    return std::string(utf8.substr(0, i));
}

std::string trimBlanks(std::string_view text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

// ASCII and Latin-1 letters fold. ASCII runs are compared in place; the rest goes through
// upperCase.
int compareTextIgnoringCase(std::string_view left, std::string_view right) {
    size_t i = 0;
    for (; i < left.size() && i < right.size(); ++i) {
        auto x = static_cast<unsigned char>(left[i]);
        auto y = static_cast<unsigned char>(right[i]);
        if (x >= 0x80 || y >= 0x80) {
            return upperCase(left.substr(i)).compare(upperCase(right.substr(i)));
        }
        int ux = (x >= 'a' && x <= 'z') ? x - 32 : x;
        int uy = (y >= 'a' && y <= 'z') ? y - 32 : y;
        if (ux != uy)
            return ux < uy ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

std::string hexText(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace dalvon

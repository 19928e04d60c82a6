#include "store/jet/format/jet_text.h"

#include <cstdio>

#include "platform/text.h"

namespace dalvon::jet {
namespace {

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Appends UTF-16 code units, pairing surrogates; `pending` holds a high surrogate between calls.
void appendUnit(std::string& out, uint16_t unit, uint16_t& pending) {
    constexpr uint32_t kReplacement = 0xFFFD;
    const bool high = unit >= 0xD800 && unit < 0xDC00;
    const bool low = unit >= 0xDC00 && unit < 0xE000;
    if (pending != 0) {
        if (low) {
            appendUtf8(out, 0x10000 + ((uint32_t{pending} - 0xD800) << 10) + (unit - 0xDC00u));
            pending = 0;
            return;
        }
        appendUtf8(out, kReplacement);
        pending = 0;
    }
    if (high) {
        pending = unit;
    } else {
        appendUtf8(out, low ? kReplacement : unit);
    }
}

}  // namespace

std::string decodeUcs2(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    uint16_t pending = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        appendUnit(out, static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8), pending);
    }
    if (pending != 0)
        appendUtf8(out, 0xFFFD);
    return out;
}

std::string decodeJet4Text(std::span<const uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return decodeUcs2(bytes);
    std::string out;
    out.reserve(bytes.size());
    uint16_t pending = 0;
    bool oneByte = true;
    size_t i = 2;
    while (i < bytes.size()) {
        if (bytes[i] == 0) {
            oneByte = !oneByte;
            ++i;
        } else if (oneByte && bytes[i] < 0x80 && pending == 0) {
            out += static_cast<char>(bytes[i++]);  // nearly every character of a name or text
        } else if (oneByte) {
            appendUnit(out, bytes[i++], pending);
        } else if (i + 1 < bytes.size()) {
            appendUnit(out, static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8), pending);
            i += 2;
        } else {
            break;
        }
    }
    if (pending != 0)
        appendUtf8(out, 0xFFFD);
    return out;
}

std::string decodeCodePageText(std::span<const uint8_t> bytes, uint16_t) {
    return cp1252ToUtf8(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string formatGuid(std::span<const uint8_t> b) {
    char text[40];
    std::snprintf(text, sizeof text,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

}  // namespace dalvon::jet

#include "store/text_forms.h"

#include <cctype>
#include <cstdint>

#include "platform/calendar.h"

namespace dalvon {
namespace {

// Reads exactly `count` digits at `pos`.
bool digits(std::string_view text, size_t& pos, size_t count, unsigned& out) {
    if (pos + count > text.size())
        return false;
    out = 0;
    for (size_t i = 0; i < count; ++i) {
        char c = text[pos + i];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        out = out * 10 + static_cast<unsigned>(c - '0');
    }
    pos += count;
    return true;
}

bool literal(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<double> parseIsoDate(std::string_view text) {
    size_t pos = 0;
    unsigned y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
    if (!digits(text, pos, 4, y) || !literal(text, pos, '-') || !digits(text, pos, 2, m) ||
        !literal(text, pos, '-') || !digits(text, pos, 2, d)) {
        return std::nullopt;
    }
    if (pos < text.size()) {
        if (!(literal(text, pos, ' ') || literal(text, pos, 'T')) || !digits(text, pos, 2, hh) ||
            !literal(text, pos, ':') || !digits(text, pos, 2, mm)) {
            return std::nullopt;
        }
        if (literal(text, pos, ':') && !digits(text, pos, 2, ss))
            return std::nullopt;
        if (pos != text.size())
            return std::nullopt;
    }
    return oleDateFromCivil(
        CivilTime{y, m, d, static_cast<int>(hh), static_cast<int>(mm), static_cast<int>(ss)});
}

bool isGuidText(std::string_view text) {
    static constexpr std::string_view kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != kShape.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool hex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kShape[i] == 'x' ? !hex : text[i] != kShape[i])
            return false;
    }
    return true;
}

}  // namespace dalvon

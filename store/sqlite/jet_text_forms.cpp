#include "store/sqlite/jet_text_forms.h"

#include <cctype>
#include <cstdint>

namespace dalvon::sqlite {
namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool daysInMonthOk(int64_t y, unsigned m, unsigned d) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

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
        !literal(text, pos, '-') || !digits(text, pos, 2, d) || !daysInMonthOk(y, m, d)) {
        return std::nullopt;
    }
    if (pos < text.size()) {
        if (!(literal(text, pos, ' ') || literal(text, pos, 'T')) || !digits(text, pos, 2, hh) ||
            !literal(text, pos, ':') || !digits(text, pos, 2, mm)) {
            return std::nullopt;
        }
        if (literal(text, pos, ':') && !digits(text, pos, 2, ss))
            return std::nullopt;
        if (pos != text.size() || hh > 23 || mm > 59 || ss > 59)
            return std::nullopt;
    }
    double days = static_cast<double>(daysFromCivil(y, m, d) + 25569);
    double time = (hh * 3600.0 + mm * 60.0 + ss) / 86400.0;
    // OLE dates before 1899-12-30 count the day backwards but the time forwards.
    return days < 0 ? days - time : days + time;
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

}  // namespace dalvon::sqlite

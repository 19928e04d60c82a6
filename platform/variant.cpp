#include "platform/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/c_library.h"
#include "platform/calendar.h"
#include "platform/fault.h"
#include "platform/text.h"

namespace dalvon {

Variant Variant::null() {
    return Variant(Storage(NullTag{}));
}
Variant Variant::boolean(bool value) {
    return Variant(Storage(value));
}
Variant Variant::byte(uint8_t value) {
    return Variant(Storage(value));
}
Variant Variant::integer(int16_t value) {
    return Variant(Storage(value));
}
Variant Variant::longValue(int32_t value) {
    return Variant(Storage(value));
}
Variant Variant::single(float value) {
    return Variant(Storage(value));
}
Variant Variant::doubleValue(double value) {
    return Variant(Storage(value));
}
Variant Variant::currency(int64_t scaledBy10000) {
    return Variant(Storage(Currency{scaledBy10000}));
}
Variant Variant::date(double oleDays) {
    return Variant(Storage(Date{oleDays}));
}
Variant Variant::string(std::string utf8) {
    return Variant(Storage(std::move(utf8)));
}
Variant Variant::binary(std::vector<uint8_t> bytes) {
    return Variant(Storage(std::move(bytes)));
}

VariantKind Variant::kind() const {
    // The order of the alternatives in Storage follows VariantKind.
    return static_cast<VariantKind>(m_value.index());
}

std::string Variant::typeName() const {
    static const char* const kNames[] = {"Empty",    "Null", "Boolean", "Byte",
                                         "Integer",  "Long", "Single",  "Double",
                                         "Currency", "Date", "String",  "Byte()"};
    return kNames[m_value.index()];
}

bool Variant::isNumeric() const {
    switch (kind()) {
        case VariantKind::Boolean:
        case VariantKind::Byte:
        case VariantKind::Integer:
        case VariantKind::Long:
        case VariantKind::Single:
        case VariantKind::Double:
        case VariantKind::Currency:
            return true;
        default:
            return false;
    }
}

bool Variant::asBoolean() const {
    if (auto* v = std::get_if<bool>(&m_value))
        return *v;
    throw faults::typeMismatch("a Boolean was expected, not " + typeName());
}
const std::string& Variant::asString() const {
    if (auto* v = std::get_if<std::string>(&m_value))
        return *v;
    throw faults::typeMismatch("a String was expected, not " + typeName());
}
const std::vector<uint8_t>& Variant::asBinary() const {
    if (auto* v = std::get_if<std::vector<uint8_t>>(&m_value))
        return *v;
    throw faults::typeMismatch("binary data was expected, not " + typeName());
}
Variant::Currency Variant::asCurrency() const {
    if (auto* v = std::get_if<Currency>(&m_value))
        return *v;
    throw faults::typeMismatch("a Currency was expected, not " + typeName());
}
Variant::Date Variant::asDate() const {
    if (auto* v = std::get_if<Date>(&m_value))
        return *v;
    throw faults::typeMismatch("a Date was expected, not " + typeName());
}

std::string formatInvariantDouble(double value, int significantDigits) {
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    // to_chars formats as printf's %g does, but with a decimal point whatever the C locale.
    char buffer[64];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                 significantDigits);
    std::string text(buffer, written.ptr);
    auto e = text.find('e');
    std::string mantissa = text.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : text.substr(e + 1);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    if (exponent.empty())
        return mantissa;
    // "E+05" -> "E+5", like the classic runtime.
    char sign = exponent[0];
    std::string digits = exponent.substr(1);
    while (digits.size() > 1 && digits[0] == '0')
        digits.erase(0, 1);
    return mantissa + "E" + sign + digits;
}

namespace {

std::string formatCurrency(int64_t scaled) {
    bool negative = scaled < 0;
    uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string text = std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%04u", static_cast<unsigned>(fraction));
        std::string digits(buffer);
        while (digits.back() == '0')
            digits.pop_back();
        text += "." + digits;
    }
    return negative ? "-" + text : text;
}

std::string formatDate(double oleDays) {
    CivilTime time = civilFromOleDate(oleDays);
    char buffer[48];
    if (!time.hasTime()) {
        std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", static_cast<long long>(time.year),
                      time.month, time.day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02d:%02d:%02d",
                      static_cast<long long>(time.year), time.month, time.day, time.hour,
                      time.minute, time.second);
    }
    return buffer;
}

// Round half to even, as the classic CInt and CLng do.
double roundHalfEven(double value) {
    return std::nearbyint(value);
}

}  // namespace

bool parseInvariantNumber(const std::string& text, double& out) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    size_t end = text.find_last_not_of(" \t");
    std::string trimmed = text.substr(begin, end - begin + 1);
    // Only plain decimal forms: no hex, no "inf"/"nan" words that strtod would take.
    for (char c : trimmed) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E')) {
            return false;
        }
    }
    char* stop = nullptr;
    out = strtodInCLocale(trimmed.c_str(), &stop);
    return stop == trimmed.c_str() + trimmed.size();
}

std::string Variant::toText() const {
    switch (kind()) {
        case VariantKind::Empty:
            return "";
        case VariantKind::Null:
            throw faults::invalidNull();
        case VariantKind::Boolean:
            return std::get<bool>(m_value) ? "True" : "False";
        case VariantKind::Byte:
            return std::to_string(std::get<uint8_t>(m_value));
        case VariantKind::Integer:
            return std::to_string(std::get<int16_t>(m_value));
        case VariantKind::Long:
            return std::to_string(std::get<int32_t>(m_value));
        case VariantKind::Single:
            return formatInvariantDouble(std::get<float>(m_value), 7);
        case VariantKind::Double:
            return formatInvariantDouble(std::get<double>(m_value), 15);
        case VariantKind::Currency:
            return formatCurrency(std::get<Currency>(m_value).scaled);
        case VariantKind::Date:
            return formatDate(std::get<Date>(m_value).oleDays);
        case VariantKind::String:
            return std::get<std::string>(m_value);
        case VariantKind::Binary:
            break;
    }
    throw faults::typeMismatch("binary data has no text form");
}

std::string Variant::toTextOrEmpty() const {
    return isNull() ? std::string() : toText();
}

double Variant::toDouble() const {
    switch (kind()) {
        case VariantKind::Empty:
            return 0;
        case VariantKind::Null:
            throw faults::invalidNull();
        case VariantKind::Boolean:
            return std::get<bool>(m_value) ? -1 : 0;
        case VariantKind::Byte:
            return std::get<uint8_t>(m_value);
        case VariantKind::Integer:
            return std::get<int16_t>(m_value);
        case VariantKind::Long:
            return std::get<int32_t>(m_value);
        case VariantKind::Single:
            return std::get<float>(m_value);
        case VariantKind::Double:
            return std::get<double>(m_value);
        case VariantKind::Currency:
            return static_cast<double>(std::get<Currency>(m_value).scaled) / 10000.0;
        case VariantKind::Date:
            return std::get<Date>(m_value).oleDays;
        case VariantKind::String: {
            double value = 0;
            if (parseInvariantNumber(std::get<std::string>(m_value), value))
                return value;
            throw faults::typeMismatch("'" + std::get<std::string>(m_value) + "' is no number");
        }
        case VariantKind::Binary:
            break;
    }
    throw faults::typeMismatch("binary data is no number");
}

int32_t Variant::toLong() const {
    double value = roundHalfEven(toDouble());
    if (!(value >= std::numeric_limits<int32_t>::min() &&
          value <= std::numeric_limits<int32_t>::max())) {
        throw faults::overflow();
    }
    return static_cast<int32_t>(value);
}

int16_t Variant::toInteger() const {
    double value = roundHalfEven(toDouble());
    if (!(value >= std::numeric_limits<int16_t>::min() &&
          value <= std::numeric_limits<int16_t>::max())) {
        throw faults::overflow();
    }
    return static_cast<int16_t>(value);
}

bool Variant::toBoolean() const {
    if (kind() == VariantKind::String) {
        const std::string& text = std::get<std::string>(m_value);
        if (equalsIgnoreCase(text, "True"))
            return true;
        if (equalsIgnoreCase(text, "False"))
            return false;
    }
    return toDouble() != 0;
}

}  // namespace dalvon

#include "store/tables/field_values.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"
#include "store/faults.h"
#include "store/tables/text_forms.h"

namespace dalvon::tables {
namespace {

std::string fieldLabel(const Column& column, const std::string& table) {
    return "'" + table + "." + column.name + "' (" + fieldTypeName(static_cast<int>(column.type)) +
           (column.type == FieldType::Text ? " " + std::to_string(column.size) : "") + ")";
}

std::string valueLabel(const Variant& value) {
    if (value.isString())
        return "the text '" + value.asString() + "'";
    if (value.kind() == VariantKind::Binary)
        return "binary data";
    return "the " + value.typeName() + " " + value.toText();
}

[[noreturn]] void conversionError(const Variant& value, const Column& column,
                                  const std::string& table) {
    throw faults::conversionError(fieldLabel(column, table), valueLabel(value));
}

[[noreturn]] void overflowError(const Variant& value, const Column& column,
                                const std::string& table) {
    throw faults::numericOverflow(fieldLabel(column, table), valueLabel(value));
}

double numberOf(const Variant& value, const Column& column, const std::string& table) {
    switch (value.kind()) {
        case VariantKind::String: {
            double number = 0;
            if (!parseInvariantNumber(value.asString(), number)) {
                conversionError(value, column, table);
            }
            return number;
        }
        case VariantKind::Binary:
            conversionError(value, column, table);
        default:
            return value.toDouble();
    }
}

int64_t wholeNumber(const Variant& value, const Column& column, const std::string& table,
                    double low, double high) {
    // Half to even, as the classic engine rounds into whole-number fields.
    double rounded = std::nearbyint(numberOf(value, column, table));
    if (!(rounded >= low && rounded <= high))
        overflowError(value, column, table);
    return static_cast<int64_t>(rounded);
}

std::string textOf(const Variant& value, const Column& column, const std::string& table) {
    if (value.kind() == VariantKind::Binary)
        conversionError(value, column, table);
    return value.toText();
}

StoredValue storedText(const Variant& value, const Column& column, const std::string& table) {
    std::string text = textOf(value, column, table);
    // A text of no more bytes than the size has no more characters either.
    if (column.type == FieldType::Text && text.size() > static_cast<size_t>(column.size) &&
        characterCount(text) > static_cast<size_t>(column.size)) {
        throw faults::textTooLong(fieldLabel(column, table), characterCount(text));
    }
    if (column.type == FieldType::Guid && !isGuidText(text))
        conversionError(value, column, table);
    return text;
}

StoredValue storedBoolean(const Variant& value, const Column& column, const std::string& table) {
    if (value.isString()) {
        std::string upper = upperCase(trimBlanks(value.asString()));
        if (upper == "TRUE" || upper == "YES" || upper == "ON")
            return int64_t{1};
        if (upper == "FALSE" || upper == "NO" || upper == "OFF")
            return int64_t{0};
    }
    return int64_t{numberOf(value, column, table) != 0 ? 1 : 0};
}

StoredValue storedCurrency(const Variant& value, const Column& column, const std::string& table) {
    if (value.kind() == VariantKind::Currency)
        return value.asCurrency().scaled;
    double scaled = std::nearbyint(numberOf(value, column, table) * 10000.0);
    if (!(std::fabs(scaled) < 9.2233720368547e18))
        overflowError(value, column, table);
    return static_cast<int64_t>(scaled);
}

StoredValue storedDate(const Variant& value, const Column& column, const std::string& table) {
    if (value.kind() == VariantKind::Date)
        return value.asDate().oleDays;
    if (value.isString()) {
        if (auto days = parseIsoDate(value.asString()))
            return *days;
    }
    return numberOf(value, column, table);
}

StoredValue storedBinary(const Variant& value, const Column& column, const std::string& table) {
    std::vector<uint8_t> bytes;
    if (value.kind() == VariantKind::Binary) {
        bytes = value.asBinary();
    } else if (value.isString()) {
        bytes.assign(value.asString().begin(), value.asString().end());
    } else {
        conversionError(value, column, table);
    }
    if (column.type == FieldType::Binary && bytes.size() > static_cast<size_t>(column.size)) {
        throw faults::binaryTooLong(fieldLabel(column, table), bytes.size());
    }
    return bytes;
}

StoredValue storedAsGiven(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::String:
            return value.asString();
        case VariantKind::Binary:
            return value.asBinary();
        case VariantKind::Boolean:
            return int64_t{value.asBoolean() ? 1 : 0};
        case VariantKind::Byte:
        case VariantKind::Integer:
        case VariantKind::Long:
            return int64_t{value.toLong()};
        default:
            return value.toDouble();
    }
}

}  // namespace

Variant toFieldValue(const Variant& value, const Column& column, const std::string& table) {
    // Values of the field's own kind that need no check, as the program mostly sets them.
    if (!column.untyped) {
        switch (value.kind()) {
            case VariantKind::Null:
                return value;
            case VariantKind::String:
                if (column.type == FieldType::Memo ||
                    (column.type == FieldType::Text &&
                     value.asString().size() <= static_cast<size_t>(column.size))) {
                    return value;
                }
                break;
            case VariantKind::Long:
                if (column.type == FieldType::Long)
                    return value;
                break;
            case VariantKind::Integer:
                if (column.type == FieldType::Integer)
                    return value;
                break;
            case VariantKind::Double:
                if (column.type == FieldType::Double)
                    return value;
                break;
            case VariantKind::Boolean:
                if (column.type == FieldType::Boolean)
                    return value;
                break;
            default:
                break;
        }
    }
    return fromStored(toStored(value, column, table), column);
}

StoredValue storedOf(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return std::monostate{};
        case VariantKind::Currency:
            return value.asCurrency().scaled;
        case VariantKind::Date:
            return value.asDate().oleDays;
        default:
            return storedAsGiven(value);
    }
}

StoredValue toStored(const Variant& value, const Column& column, const std::string& table) {
    if (value.isNull() || value.isEmpty())
        return std::monostate{};
    if (column.untyped)
        return storedAsGiven(value);
    switch (column.type) {
        case FieldType::Text:
        case FieldType::Memo:
        case FieldType::Guid:
            return storedText(value, column, table);
        case FieldType::Boolean:
            return storedBoolean(value, column, table);
        case FieldType::Byte:
            return wholeNumber(value, column, table, 0, 255);
        case FieldType::Integer:
            return wholeNumber(value, column, table, -32768, 32767);
        case FieldType::Long:
            return wholeNumber(value, column, table, -2147483648.0, 2147483647.0);
        case FieldType::Single: {
            double number = numberOf(value, column, table);
            if (std::fabs(number) > FLT_MAX)
                overflowError(value, column, table);
            return static_cast<double>(static_cast<float>(number));
        }
        case FieldType::Double:
            return numberOf(value, column, table);
        case FieldType::Currency:
            return storedCurrency(value, column, table);
        case FieldType::Date:
            return storedDate(value, column, table);
        case FieldType::Binary:
        case FieldType::LongBinary:
            return storedBinary(value, column, table);
    }
    conversionError(value, column, table);
}

StoredValue criterionValue(const sql::Literal& literal, const Column& column,
                           const std::string& table, const std::string& query) {
    bool isText = literal.kind == sql::Literal::Kind::Text;
    if (column.untyped)
        return isText ? StoredValue(literal.text) : StoredValue(literal.number);
    bool textField = column.holdsText();
    bool binaryField = column.type == FieldType::Binary || column.type == FieldType::LongBinary;
    if (binaryField || isText != textField) {
        throw faults::criteriaMismatch(
            ": the field " + fieldLabel(column, table) + " is compared with " +
            (isText ? "the text \"" + literal.text + "\"" : "the number " + literal.text) +
            " in query '" + query + "'.");
    }
    if (isText)
        return literal.text;
    if (column.type == FieldType::Boolean)
        return int64_t{literal.number != 0 ? 1 : 0};
    if (column.type == FieldType::Currency) {
        return static_cast<int64_t>(std::nearbyint(literal.number * 10000.0));
    }
    return literal.number;
}

}  // namespace dalvon::tables

namespace dalvon::tables {
namespace {

Variant asStored(const StoredValue& stored) {
    if (auto* whole = std::get_if<int64_t>(&stored)) {
        if (*whole >= INT32_MIN && *whole <= INT32_MAX) {
            return Variant::longValue(static_cast<int32_t>(*whole));
        }
        return Variant::doubleValue(static_cast<double>(*whole));
    }
    if (auto* real = std::get_if<double>(&stored))
        return Variant::doubleValue(*real);
    if (auto* text = std::get_if<std::string>(&stored))
        return Variant::string(*text);
    if (auto* bytes = std::get_if<std::vector<uint8_t>>(&stored))
        return Variant::binary(*bytes);
    return Variant::null();
}

bool storedNumber(const StoredValue& stored, double& number) {
    if (auto* whole = std::get_if<int64_t>(&stored)) {
        number = static_cast<double>(*whole);
        return true;
    }
    if (auto* real = std::get_if<double>(&stored)) {
        number = *real;
        return true;
    }
    return false;
}

std::string textForm(const StoredValue& stored) {
    if (auto* text = std::get_if<std::string>(&stored))
        return *text;
    if (auto* whole = std::get_if<int64_t>(&stored))
        return std::to_string(*whole);
    if (auto* real = std::get_if<double>(&stored))
        return formatInvariantDouble(*real);
    return {};
}

Variant wholeOrStored(const StoredValue& stored, FieldType type) {
    double number = 0;
    if (!storedNumber(stored, number))
        return asStored(stored);
    double rounded = std::nearbyint(number);
    if (type == FieldType::Byte && rounded >= 0 && rounded <= 255) {
        return Variant::byte(static_cast<uint8_t>(rounded));
    }
    if (type == FieldType::Integer && rounded >= -32768 && rounded <= 32767) {
        return Variant::integer(static_cast<int16_t>(rounded));
    }
    if (type == FieldType::Long && rounded >= INT32_MIN && rounded <= INT32_MAX) {
        return Variant::longValue(static_cast<int32_t>(rounded));
    }
    return asStored(stored);
}

}  // namespace

Variant fromStored(const StoredValue& stored, const Column& column) {
    if (std::holds_alternative<std::monostate>(stored) || column.untyped)
        return asStored(stored);
    bool blob = std::holds_alternative<std::vector<uint8_t>>(stored);
    double number = 0;
    switch (column.type) {
        case FieldType::Text:
        case FieldType::Memo:
        case FieldType::Guid:
            return blob ? asStored(stored) : Variant::string(textForm(stored));
        case FieldType::Boolean:
            return storedNumber(stored, number) ? Variant::boolean(number != 0) : asStored(stored);
        case FieldType::Byte:
        case FieldType::Integer:
        case FieldType::Long:
            return wholeOrStored(stored, column.type);
        case FieldType::Single:
            return storedNumber(stored, number) ? Variant::single(static_cast<float>(number))
                                                : asStored(stored);
        case FieldType::Double:
            return storedNumber(stored, number) ? Variant::doubleValue(number) : asStored(stored);
        case FieldType::Currency:
            return storedNumber(stored, number)
                       ? Variant::currency(static_cast<int64_t>(std::nearbyint(number)))
                       : asStored(stored);
        case FieldType::Date:
            if (storedNumber(stored, number))
                return Variant::date(number);
            if (auto* text = std::get_if<std::string>(&stored)) {
                if (auto days = parseIsoDate(*text))
                    return Variant::date(*days);
            }
            return asStored(stored);
        case FieldType::Binary:
        case FieldType::LongBinary:
            if (auto* text = std::get_if<std::string>(&stored)) {
                return Variant::binary(std::vector<uint8_t>(text->begin(), text->end()));
            }
            return asStored(stored);
    }
    return asStored(stored);
}

}  // namespace dalvon::tables

#include "store/tables/field_values.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"
#include "store/faults.h"
#include "store/text_forms.h"

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

}  // namespace

Variant toFieldValue(const Variant& value, const Column& column, const std::string& table) {
    // Values of the field's own kind that need no check, as the program mostly sets them.
    if (!column.anyKind) {
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

StoredValue toStored(const Variant& value, const Column& column, const std::string& table) {
    if (value.isNull() || value.isEmpty())
        return std::monostate{};
    if (column.anyKind)
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
    if (column.anyKind)
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

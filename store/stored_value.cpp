#include "store/stored_value.h"

#include <cmath>

#include "platform/text.h"
#include "store/text_forms.h"

namespace dalvon {

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

Variant fromStored(const StoredValue& stored, const Column& column) {
    if (std::holds_alternative<std::monostate>(stored) || column.anyKind)
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

}  // namespace dalvon

#include "store/sql_names.h"

#include <array>
#include <charconv>
#include <utility>

#include "platform/text.h"

namespace dalvon {
namespace {

struct TypeName {
    std::string_view declared;
    FieldType type;
};

// Declared names without a size, upper case: those written (ddlTypeName) and their synonyms.
constexpr std::array<TypeName, 31> kNames = {{
    {"BIT", FieldType::Boolean},       {"BOOLEAN", FieldType::Boolean},
    {"YESNO", FieldType::Boolean},     {"LOGICAL", FieldType::Boolean},
    {"BYTE", FieldType::Byte},         {"TINYINT", FieldType::Byte},
    {"SHORT", FieldType::Integer},     {"SMALLINT", FieldType::Integer},
    {"LONG", FieldType::Long},         {"INTEGER", FieldType::Long},
    {"INT", FieldType::Long},          {"COUNTER", FieldType::Long},
    {"CURRENCY", FieldType::Currency}, {"MONEY", FieldType::Currency},
    {"SINGLE", FieldType::Single},     {"DOUBLE", FieldType::Double},
    {"REAL", FieldType::Double},       {"FLOAT", FieldType::Double},
    {"DATETIME", FieldType::Date},     {"DATE", FieldType::Date},
    {"TIMESTAMP", FieldType::Date},    {"LONGBINARY", FieldType::LongBinary},
    {"BLOB", FieldType::LongBinary},   {"IMAGE", FieldType::LongBinary},
    {"LONGTEXT", FieldType::Memo},     {"TEXT", FieldType::Memo},
    {"MEMO", FieldType::Memo},         {"CLOB", FieldType::Memo},
    {"GUID", FieldType::Guid},         {"UNIQUEIDENTIFIER", FieldType::Guid},
    {"NUMERIC", FieldType::Double},
}};

// Names that take a size in parentheses and stand for Text (1..255) or Binary.
constexpr std::array<std::string_view, 6> kSizedText = {"VARCHAR",  "CHAR",  "TEXT",
                                                        "NVARCHAR", "NCHAR", "CHARACTER"};
constexpr std::array<std::string_view, 2> kSizedBinary = {"VARBINARY", "BINARY"};

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::string_view candidate : names) {
        if (candidate == name)
            return true;
    }
    return false;
}

// Splits "VARCHAR ( 50 )" into "VARCHAR" and 50; size -1 without parentheses.
std::pair<std::string, long> splitSize(const std::string& upper) {
    size_t open = upper.find('(');
    if (open == std::string::npos)
        return {trimBlanks(upper), -1};
    std::string base = trimBlanks(upper.substr(0, open));
    size_t close = upper.find(')', open);
    std::string inside = trimBlanks(upper.substr(open + 1, close - open - 1));
    long size = 0;
    auto result = std::from_chars(inside.data(), inside.data() + inside.size(), size);
    if (result.ec != std::errc() || size <= 0)
        size = 0;  // "DECIMAL(10,2)" and the like
    return {base, size};
}

// SQLite's own affinity rules, for declared types that are no known name.
Column byAffinity(std::string name, const std::string& upper) {
    auto has = [&](const char* part) { return upper.find(part) != std::string::npos; };
    FieldType type = FieldType::Double;
    if (has("INT")) {
        type = FieldType::Long;
    } else if (has("CHAR") || has("CLOB") || has("TEXT")) {
        type = FieldType::Memo;
    } else if (has("BLOB")) {
        type = FieldType::LongBinary;
    }
    return Column{std::move(name), type, fixedSize(type), false};
}

}  // namespace

std::optional<std::string> ddlTypeName(const FieldDef& field) {
    switch (static_cast<FieldType>(field.type)) {
        case FieldType::Boolean:
            return "BIT";
        case FieldType::Byte:
            return "BYTE";
        case FieldType::Integer:
            return "SHORT";
        case FieldType::Long:
            return "LONG";
        case FieldType::Currency:
            return "CURRENCY";
        case FieldType::Single:
            return "SINGLE";
        case FieldType::Double:
            return "DOUBLE";
        case FieldType::Date:
            return "DATETIME";
        case FieldType::Binary:
            return "VARBINARY(" + std::to_string(field.size) + ")";
        case FieldType::Text:
            return "VARCHAR(" + std::to_string(field.size) + ")";
        case FieldType::LongBinary:
            return "LONGBINARY";
        case FieldType::Memo:
            return "LONGTEXT";
        case FieldType::Guid:
            return "GUID";
    }
    return std::nullopt;
}

std::string quoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

Column columnFromDeclaredType(std::string name, std::string_view declared) {
    std::string upper = upperCase(trimBlanks(declared));
    if (upper.empty())
        return Column{std::move(name), FieldType::Memo, 0, true};
    auto [base, size] = splitSize(upper);
    if (size >= 0 && contains(kSizedText, base)) {
        if (size >= 1 && size <= 255)
            return Column{std::move(name), FieldType::Text, static_cast<int32_t>(size), false};
        return Column{std::move(name), FieldType::Memo, 0, false};
    }
    if (size >= 0 && contains(kSizedBinary, base) && size >= 1 && size <= 510) {
        return Column{std::move(name), FieldType::Binary, static_cast<int32_t>(size), false};
    }
    if (base == "DOUBLE PRECISION")
        base = "DOUBLE";
    for (const TypeName& known : kNames) {
        if (known.declared == base) {
            return Column{std::move(name), known.type, fixedSize(known.type), false};
        }
    }
    return byAffinity(std::move(name), upper);
}

}  // namespace dalvon

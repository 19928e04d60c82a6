#include "tools/dalvon-db/json_writer.h"

#include <cmath>
#include <cstdio>

#include "tools/dalvon-db/csv_writer.h"

namespace dalvon::db_tool {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string jsonValue(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return "null";
        case VariantKind::Boolean:
            return value.asBoolean() ? "true" : "false";
        case VariantKind::Byte:
        case VariantKind::Integer:
        case VariantKind::Long:
        case VariantKind::Currency:
            return value.toText();
        case VariantKind::Single:
        case VariantKind::Double:
            // JSON has no words for infinity and NaN.
            return std::isfinite(value.toDouble()) ? value.toText() : jsonString(value.toText());
        case VariantKind::Binary:
            return jsonString(csvField(value));
        case VariantKind::Date:
        case VariantKind::String:
            break;
    }
    return jsonString(value.toText());
}

void writeJsonLine(std::ostream& out, const std::vector<std::string>& names,
                   const std::vector<Variant>& values) {
    out << '{';
    for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
        if (i > 0)
            out << ',';
        out << jsonString(names[i]) << ':' << jsonValue(values[i]);
    }
    out << "}\n";
}

}  // namespace dalvon::db_tool

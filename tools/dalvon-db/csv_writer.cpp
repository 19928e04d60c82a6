#include "tools/dalvon-db/csv_writer.h"

#include "platform/text.h"
#include "store/sql_names.h"

namespace dalvon::db_tool {
namespace {

std::string quoted(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    return quoteIdentifier(text);
}

}  // namespace

std::string csvField(const Variant& value) {
    if (value.isNull() || value.isEmpty())
        return "";
    if (value.kind() == VariantKind::Binary)
        return hexText(value.asBinary());
    return quoted(value.toText());
}

void writeCsvLine(std::ostream& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out << ',';
        out << fields[i];
    }
    out << "\r\n";
}

}  // namespace dalvon::db_tool

// Compares every sample file as our engine reads it with what Debian's mdbtools print.
// Normalisations: mdb-export prints Booleans as 0/1, Currency with four decimals, binary data
// as upper-case hex, dates through the -T format "%Y-%m-%d %H:%M:%S" (so ours are rounded to the
// second), and floating-point numbers with fewer digits than a double has (so Single and Double
// values, and Decimal values, which we return as Double, are compared with a relative
// tolerance). mdb-schema prints type words; they are mapped to the classic field types.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <utility>

#include "platform/calendar.h"
#include "tests/jet/jet_samples.h"
#include "tools/dalvon-db/csv_writer.h"

namespace dalvon::jet_test {
namespace {

constexpr const char* kNullMark = "<NULL>";

struct Cell {
    std::string text;
    bool quoted = false;
};

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

// Parses mdb-export CSV written with -e (so every row is one line).
std::vector<std::vector<Cell>> parseCsv(const std::string& csv) {
    std::vector<std::vector<Cell>> rows;
    std::vector<Cell> row;
    Cell cell;
    bool inQuotes = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                cell.text += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                cell.text += c;
            }
        } else if (c == '"') {
            inQuotes = cell.quoted = true;
        } else if (c == ',' || c == '\n') {
            if (cell.quoted)
                cell.text = unescape(cell.text);
            row.push_back(std::move(cell));
            cell = {};
            if (c == '\n')
                rows.push_back(std::exchange(row, {}));
        } else {
            cell.text += c;
        }
    }
    return rows;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string toHex(const std::vector<uint8_t>& bytes) {
    return db_tool::csvField(Variant::binary(bytes));
}

// An OLE date as "yyyy-mm-dd hh:mm:ss", rounded to the second.
std::string formatOleDate(double oleDays) {
    const CivilTime time = civilFromOleDate(oleDays);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d",
                  static_cast<long long>(time.year), time.month, time.day, time.hour, time.minute,
                  time.second);
    return text;
}

int64_t scaledCurrency(const std::string& text) {
    const size_t point = text.find('.');
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1, 4);
    fraction.resize(4, '0');
    const int64_t whole = std::llabs(std::atoll(text.substr(0, point).c_str()));
    const int64_t value = whole * 10000 + std::atoll(fraction.c_str());
    return text.starts_with('-') ? -value : value;
}

// Whether `ours` reads as mdb-export's cell.
bool sameCell(const Variant& ours, const Cell& theirs) {
    const bool null = !theirs.quoted && theirs.text == kNullMark;
    switch (ours.kind()) {
        case VariantKind::Null:
            return null;
        case VariantKind::Boolean:
            return theirs.text == (ours.asBoolean() ? "1" : "0");
        case VariantKind::Currency:
            return scaledCurrency(theirs.text) == ours.asCurrency().scaled;
        case VariantKind::Single:
        case VariantKind::Double: {
            const double other = std::strtod(theirs.text.c_str(), nullptr);
            return std::fabs(ours.toDouble() - other) <=
                   1e-6 * std::max(1.0, std::fabs(ours.toDouble()));
        }
        case VariantKind::Date:
            return formatOleDate(ours.asDate().oleDays) == theirs.text;
        case VariantKind::String: {
            // mdb-export shows a zero-length text as it shows Null, and with -b hex a GUID's text
            // as hex too, without its last dash.
            const std::string& text = ours.asString();
            std::vector<uint8_t> bytes(text.begin(), text.end());
            if (text.starts_with('{') && text.size() == 38)
                bytes.erase(bytes.begin() + 24);
            return (text.empty() && null) ||
                   (theirs.quoted && (text == theirs.text ||
                                      (text.starts_with('{') && toHex(bytes) == theirs.text)));
        }
        case VariantKind::Binary:
            return toHex(ours.asBinary()) == theirs.text;
        default:
            return ours.toText() == theirs.text;
    }
}

struct SchemaField {
    std::string name;
    std::string type;
};

std::vector<SchemaField> schemaOf(const std::string& file, const std::string& table) {
    std::vector<SchemaField> fields;
    const std::string text =
        runCommand("mdb-schema -T " + shellQuote(table) + " " + shellQuote(file) + " 2>/dev/null");
    for (const auto& line : splitLines(text)) {
        if (line.size() < 2 || line[0] != '\t' || line[1] != '[')
            continue;
        const size_t close = line.find(']');
        const size_t typeStart = line.find_first_not_of('\t', close + 1);
        std::string type = line.substr(typeStart);
        while (!type.empty() && (type.back() == ',' || type.back() == ' '))
            type.pop_back();
        fields.push_back({line.substr(2, close - 2), type});
    }
    return fields;
}

// The classic field type that an mdb-schema type word stands for, and the size it shows.
std::pair<int, int> typeOfSchemaWord(const std::string& word) {
    static const std::vector<std::pair<std::string, int>> kWords = {
        {"Boolean", 1},         {"Byte", 2},     {"Integer", 3}, {"Long Integer", 4},
        {"Currency", 5},        {"Single", 6},   {"Double", 7},  {"DateTime", 8},
        {"Binary", 9},          {"Text", 10},    {"OLE", 11},    {"Memo/Hyperlink", 12},
        {"Replication ID", 15}, {"Numeric", 20},
    };
    int type = 0;
    size_t best = 0;
    for (const auto& [text, code] : kWords) {
        if (word.rfind(text, 0) == 0 && text.size() > best)
            type = code, best = text.size();
    }
    const size_t paren = word.find('(');
    const int size = paren == std::string::npos ? -1 : std::atoi(word.c_str() + paren + 1);
    return {type, size};
}

bool sameRow(const std::vector<Variant>& ours, const std::vector<Cell>& theirs) {
    for (size_t c = 0; c < ours.size() && ours.size() == theirs.size(); ++c) {
        if (!sameCell(ours[c], theirs[c]))
            return false;
    }
    return ours.size() == theirs.size();
}

std::string rowText(const std::vector<Variant>& row) {
    std::string text;
    for (const auto& value : row) {
        text +=
            (text.empty() ? "" : ", ") +
            (value.kind() == VariantKind::Binary ? toHex(value.asBinary()) : value.toTextOrEmpty());
    }
    return text.substr(0, 300);
}

}  // namespace

bool haveMdbTools() {
    return std::system(
               "command -v mdb-export >/dev/null 2>&1 && command -v mdb-schema "
               ">/dev/null 2>&1 && command -v mdb-tables >/dev/null 2>&1") == 0;
}

std::string mdbToolsDisagreement(const fs::path& path) {
    const std::string file = path.string();
    auto db = openJet(file);
    const auto tables = splitLines(runCommand("mdb-tables -1 " + shellQuote(file)));
    if (db->tableNames() != tables)
        return "the table lists differ";
    for (const auto& table : tables) {
        const auto fields = db->tableFields(table);
        const auto schema = schemaOf(file, table);
        if (fields.size() != schema.size())
            return "table " + table + ": the field counts differ";
        for (size_t i = 0; i < fields.size(); ++i) {
            const auto [type, size] = typeOfSchemaWord(schema[i].type);
            if (fields[i].name != schema[i].name || fields[i].type != type ||
                (type == 10 && fields[i].size != size)) {
                return "table " + table + ": field " + fields[i].name + " reads as " +
                       schema[i].name + " " + schema[i].type;
            }
        }
        const auto csv = parseCsv(runCommand("mdb-export -e -b hex -0 '" + std::string(kNullMark) +
                                             "' -T '%Y-%m-%d %H:%M:%S' " + shellQuote(file) + " " +
                                             shellQuote(table)));
        const auto rows = readAll(*db, table);
        if (rows.size() + 1 != csv.size()) {
            return "table " + table + ": " + std::to_string(rows.size()) + " rows, mdb-export " +
                   std::to_string(csv.size()) + " lines";
        }
        // Rows are matched rather than compared in order: mdbtools lists a row that moved
        // (overflow) at its new place, we keep it at its original slot, its insertion order.
        std::vector<bool> used(csv.size(), false);
        for (size_t r = 0; r < rows.size(); ++r) {
            size_t line = 1;
            while (line < csv.size() && (used[line] || !sameRow(rows[r], csv[line])))
                ++line;
            if (line == csv.size()) {
                return "table " + table + ": row " + std::to_string(r) + " (" + rowText(rows[r]) +
                       ") is not in mdb-export's output";
            }
            used[line] = true;
        }
    }
    return {};
}

}  // namespace dalvon::jet_test

// Compares our reader with the npm package mdb-reader through tests/jet/mdb_reader_dump.mjs.
// Both sides print the same JSON lines (ours through dalvon-db's JSON writer); the
// normalisations are described in the script.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "tests/jet/jet_samples.h"
#include "tools/dalvon-db/json_writer.h"

namespace dalvon::jet_test {
namespace {

using db_tool::jsonString;

// As JavaScript prints a number: whole numbers without exponent, others in their shortest form.
std::string shortest(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e21)
        return std::to_string(static_cast<long long>(value));
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string valueText(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
        case VariantKind::Boolean:
        case VariantKind::String:
        case VariantKind::Binary:
            return db_tool::jsonValue(value);
        case VariantKind::Currency:
            return jsonString(std::to_string(value.asCurrency().scaled));
        case VariantKind::Date:
            return std::to_string(std::llround(value.asDate().oleDays * 86400));
        default:
            return jsonString(shortest(value.toDouble()));
    }
}

std::string ourDump(const fs::path& file) {
    auto db = openJet(file);
    std::ostringstream out;
    for (const std::string& table : db->tableNames()) {
        out << "[\"table\"," << jsonString(table) << "]\n";
        for (const FieldDef& field : db->tableFields(table)) {
            out << "[\"field\"," << jsonString(field.name) << "," << field.type << ","
                << (field.type == static_cast<int>(FieldType::Text) ? field.size : 0) << "]\n";
        }
        for (const auto& row : readAll(*db, table)) {
            out << "[\"row\"";
            for (const Variant& value : row)
                out << "," << valueText(value);
            out << "]\n";
        }
    }
    return out.str();
}

// The lines of a dump with each table's rows sorted: a table without index has no row order
// that both readers must keep (mdb-reader lists a moved row where its data now lives).
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    size_t rowsFrom = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("[\"row\"", 0) != 0) {
            std::sort(out.begin() + static_cast<long>(rowsFrom), out.end());
            rowsFrom = out.size() + 1;
        }
        out.push_back(line);
    }
    std::sort(out.begin() + static_cast<long>(std::min(rowsFrom, out.size())), out.end());
    return out;
}

// A long line cut around the first place where it differs from `other`.
std::string excerpt(const std::string& line, const std::string& other) {
    size_t at = 0;
    while (at < line.size() && at < other.size() && line[at] == other[at])
        ++at;
    const size_t from = at > 60 ? at - 60 : 0;
    return (from > 0 ? "..." : "") + line.substr(from, 160) +
           (from + 160 < line.size() ? "..." : "");
}

}  // namespace

bool haveMdbReader() {
    return std::system("command -v node >/dev/null 2>&1") == 0 &&
           fs::exists(fs::path(DALVON_NODE_MODULES) / "mdb-reader");
}

std::string mdbReaderDisagreement(const fs::path& file) {
    const auto theirs = lines(runCommand("node " + shellQuote(DALVON_MDB_READER_DUMP) + " " +
                                         shellQuote(DALVON_NODE_MODULES) + " " +
                                         shellQuote(file.string()) + " 2>&1"));
    const auto ours = lines(ourDump(file));
    for (size_t i = 0; i < std::max(ours.size(), theirs.size()); ++i) {
        const std::string a = i < ours.size() ? ours[i] : "<nothing>";
        const std::string b = i < theirs.size() ? theirs[i] : "<nothing>";
        if (a != b)
            return "line " + std::to_string(i + 1) + ": ours " + excerpt(a, b) + "\nmdb-reader " +
                   excerpt(b, a);
    }
    return "";
}

}  // namespace dalvon::jet_test

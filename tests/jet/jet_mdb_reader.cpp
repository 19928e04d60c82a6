// Compares our reader with the npm package mdb-reader through tests/jet/mdb_reader_dump.mjs.
// Both sides print the same JSON lines; the normalisations are described in the script.
#include "tests/jet/jet_mdb_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

std::string json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\b') {
            out += "\\b";
        } else if (c == '\f') {
            out += "\\f";
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// As JavaScript prints a number: whole numbers without exponent, others in their shortest form.
std::string shortest(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e21)
        return std::to_string(static_cast<long long>(value));
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string valueText(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return "null";
        case VariantKind::Boolean:
            return value.asBoolean() ? "true" : "false";
        case VariantKind::Currency:
            return json(std::to_string(value.asCurrency().scaled));
        case VariantKind::Date:
            return std::to_string(std::llround(value.asDate().oleDays * 86400));
        case VariantKind::String:
            return json(value.asString());
        case VariantKind::Binary:
            return json(hex(value.asBinary()));
        default:
            return json(shortest(value.toDouble()));
    }
}

std::string ourDump(const std::filesystem::path& file) {
    auto db = openJet(file);
    std::ostringstream out;
    for (const std::string& table : db->tableNames()) {
        out << "[\"table\"," << json(table) << "]\n";
        for (const FieldDef& field : db->tableFields(table)) {
            out << "[\"field\"," << json(field.name) << "," << field.type << ","
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
           std::filesystem::exists(std::filesystem::path(DALVON_NODE_MODULES) / "mdb-reader");
}

std::string mdbReaderDisagreement(const std::filesystem::path& file) {
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

#include "tools/dalvon-db/var_name_renames.h"

#include <array>
#include <optional>
#include <vector>

#include "platform/fault.h"
#include "platform/text.h"

namespace dalvon::db_tool {
namespace {

constexpr const char* kSystems[2] = {"VISIWIN32", "VISIWINSTUDIO"};
constexpr const char* kVarName = "###Var_Name";
constexpr const char* kMachine = "###machine";

using Patterns = std::array<std::array<std::string, 51>, 2>;  // [system][part]

// A pattern as the generation fills it: the first "###Var_Name" and the first two "###machine"
// (found without regard to case) are replaced, everything else is kept as written.
struct Piece {
    enum class Kind { Text, VarName, Machine } kind;
    std::string text;
};

std::optional<size_t> columnOf(const TableRows& table, const char* name) {
    for (size_t i = 0; i < table.fields.size(); ++i) {
        if (equalsIgnoreCase(table.fields[i].name, name))
            return i;
    }
    return std::nullopt;
}

Patterns readPatterns(const TableRows& sourceDefs) {
    Patterns patterns;
    std::optional<size_t> system = columnOf(sourceDefs, "System"),
                          name = columnOf(sourceDefs, "Var_Name"),
                          part = columnOf(sourceDefs, "Part");
    if (!system || !name || !part)
        return patterns;
    for (const std::vector<Variant>& row : sourceDefs.rows) {
        for (size_t s = 0; s < 2; ++s) {
            try {
                int p = row[*part].toInteger();
                if (upperCase(row[*system].toTextOrEmpty()) == kSystems[s] && p >= 1 && p <= 50)
                    patterns[s][static_cast<size_t>(p)] = row[*name].toText();
            } catch (const Fault&) {
            }
        }
    }
    return patterns;
}

// Splits `text` at the first occurrence of `marker` (without regard to case) in a text piece.
void splitFirst(std::vector<Piece>& pieces, const std::string& marker, Piece::Kind kind) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != Piece::Kind::Text)
            continue;
        size_t at = findTextIgnoringCase(pieces[i].text, marker);
        if (at == 0)
            continue;
        std::string text = pieces[i].text;
        Piece before{Piece::Kind::Text, text.substr(0, at - 1)};
        Piece after{Piece::Kind::Text, text.substr(at - 1 + marker.size())};
        pieces[i] = before;
        pieces.insert(pieces.begin() + static_cast<long>(i) + 1, {{kind, ""}, after});
        return;
    }
}

std::vector<Piece> piecesOf(const std::string& pattern) {
    std::vector<Piece> pieces{{Piece::Kind::Text, pattern}};
    splitFirst(pieces, kVarName, Piece::Kind::VarName);
    splitFirst(pieces, kMachine, Piece::Kind::Machine);
    splitFirst(pieces, kMachine, Piece::Kind::Machine);
    return pieces;
}

struct Captures {
    std::optional<std::string> varName, machine;
};

// True when `name` is `pieces` from `i` on, filled with consistent captures.
bool fits(const std::vector<Piece>& pieces, size_t i, const std::string& name, size_t at,
          Captures& captures) {
    if (i == pieces.size())
        return at == name.size();
    const Piece& piece = pieces[i];
    if (piece.kind == Piece::Kind::Text) {
        return name.compare(at, piece.text.size(), piece.text) == 0 &&
               fits(pieces, i + 1, name, at + piece.text.size(), captures);
    }
    std::optional<std::string>& slot =
        piece.kind == Piece::Kind::VarName ? captures.varName : captures.machine;
    if (slot) {
        return name.compare(at, slot->size(), *slot) == 0 &&
               fits(pieces, i + 1, name, at + slot->size(), captures);
    }
    for (size_t end = at; end <= name.size(); ++end) {
        slot = name.substr(at, end - at);
        if (fits(pieces, i + 1, name, end, captures))
            return true;
    }
    slot.reset();
    return false;
}

std::optional<Captures> fit(const std::string& pattern, const std::string& name) {
    if (pattern.empty())
        return std::nullopt;
    Captures captures;
    if (!fits(piecesOf(pattern), 0, name, 0, captures))
        return std::nullopt;
    return captures;
}

std::string fill(const std::string& pattern, const Captures& captures) {
    std::string name;
    for (const Piece& piece : piecesOf(pattern)) {
        if (piece.kind == Piece::Kind::Text)
            name += piece.text;
        else
            name += (piece.kind == Piece::Kind::VarName ? captures.varName : captures.machine)
                        .value_or("");
    }
    return name;
}

struct NamedRow {
    std::string name;
    size_t part;
};

std::vector<NamedRow> namedRows(const TableRows& newRows) {
    std::vector<NamedRow> rows;
    std::optional<size_t> name = columnOf(newRows, "var_name"), part = columnOf(newRows, "part");
    if (!name || !part)
        return rows;
    for (const std::vector<Variant>& row : newRows.rows) {
        try {
            int p = row[*part].toInteger();
            if (p >= 1 && p <= 50 && row[*name].isString())
                rows.push_back({row[*name].asString(), static_cast<size_t>(p)});
        } catch (const Fault&) {
        }
    }
    return rows;
}

// The system the rows were generated for: the one whose patterns alone more names fit.
size_t generatedSystem(const Patterns& patterns, const std::vector<NamedRow>& rows) {
    int votes[2] = {0, 0};
    for (const NamedRow& row : rows) {
        bool fitsSystem[2] = {fit(patterns[0][row.part], row.name).has_value(),
                              fit(patterns[1][row.part], row.name).has_value()};
        if (fitsSystem[0] != fitsSystem[1])
            ++votes[fitsSystem[1] ? 1 : 0];
    }
    return votes[1] > votes[0] ? 1 : 0;
}

}  // namespace

std::map<std::string, std::string> otherSystemNames(const TableRows& sourceDefs,
                                                    const TableRows& newRows) {
    Patterns patterns = readPatterns(sourceDefs);
    std::vector<NamedRow> rows = namedRows(newRows);
    size_t current = generatedSystem(patterns, rows);
    std::map<std::string, std::string> renames;
    for (const NamedRow& row : rows) {
        std::optional<Captures> captures = fit(patterns[current][row.part], row.name);
        if (!captures)
            continue;
        std::string other = fill(patterns[1 - current][row.part], *captures);
        if (!other.empty() && other != row.name)
            renames.emplace(upperCase(other), row.name);
    }
    return renames;
}

}  // namespace dalvon::db_tool

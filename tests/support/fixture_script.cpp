#include "tests/support/fixture_script.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "platform/text.h"
#include "store/jet/writer/jet_create.h"
#include "store/sql_names.h"
#include "tests/support/host_database.h"

namespace dalvon::testing {
namespace {

enum class Kind { Word, Name, Text, Number, Symbol };

struct Token {
    Kind kind;
    std::string text;  // a word or name without quotes, a text with its quotes undone

    bool is(std::string_view keyword) const {
        return kind == Kind::Word && equalsIgnoreCase(text, keyword);
    }
    bool isSymbol(char symbol) const { return kind == Kind::Symbol && text[0] == symbol; }
};

[[noreturn]] void refuse(const std::string& what) {
    throw std::invalid_argument("fixture script: " + what);
}

// The text between `quote`s from `pos` (at the opening one); a doubled quote stands for itself.
std::string quoted(std::string_view script, size_t& pos, char quote) {
    std::string text;
    for (++pos; pos < script.size(); ++pos) {
        if (script[pos] != quote) {
            text += script[pos];
        } else if (pos + 1 < script.size() && script[pos + 1] == quote) {
            text += quote;
            ++pos;
        } else {
            ++pos;
            return text;
        }
    }
    refuse("a quote is not closed");
}

// The statements of the script, each as its tokens, without the closing semicolons.
std::vector<std::vector<Token>> statements(std::string_view script) {
    std::vector<std::vector<Token>> result(1);
    for (size_t pos = 0; pos < script.size();) {
        const char c = script[pos];
        std::vector<Token>& statement = result.back();
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos;
        } else if (script.substr(pos, 2) == "--") {
            pos = script.find('\n', pos);
        } else if (c == '\'') {
            statement.push_back({Kind::Text, quoted(script, pos, '\'')});
        } else if (c == '"' || c == '`') {
            statement.push_back({Kind::Name, quoted(script, pos, c)});
        } else if (c == '[') {
            size_t close = script.find(']', pos);
            if (close == std::string_view::npos)
                refuse("a bracket is not closed");
            statement.push_back({Kind::Name, std::string(script.substr(pos + 1, close - pos - 1))});
            pos = close + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            size_t end = pos;
            while (end < script.size() &&
                   (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '.' ||
                    ((script[end] == '-' || script[end] == '+') &&
                     (script[end - 1] == 'e' || script[end - 1] == 'E')))) {
                ++end;
            }
            statement.push_back({Kind::Number, std::string(script.substr(pos, end - pos))});
            pos = end;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t end = pos;
            while (end < script.size() &&
                   (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '_')) {
                ++end;
            }
            statement.push_back({Kind::Word, std::string(script.substr(pos, end - pos))});
            pos = end;
        } else if (c == ';') {
            if (!statement.empty())
                result.emplace_back();
            ++pos;
        } else {
            statement.push_back({Kind::Symbol, std::string(1, c)});
            ++pos;
        }
    }
    if (result.back().empty())
        result.pop_back();
    return result;
}

// Reads the tokens of one statement in order.
class Reader {
public:
    explicit Reader(const std::vector<Token>& tokens) : m_tokens(tokens) {}

    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token& peek() const {
        if (atEnd())
            refuse("a statement ends too early");
        return m_tokens[m_pos];
    }
    const Token& next() {
        const Token& token = peek();
        ++m_pos;
        return token;
    }
    bool take(std::string_view keyword) {
        if (atEnd() || !peek().is(keyword))
            return false;
        ++m_pos;
        return true;
    }
    bool takeSymbol(char symbol) {
        if (atEnd() || !peek().isSymbol(symbol))
            return false;
        ++m_pos;
        return true;
    }
    void expectSymbol(char symbol) {
        if (!takeSymbol(symbol))
            refuse(std::string("expected '") + symbol + "' before '" + peek().text + "'");
    }
    std::string name() {
        const Token& token = next();
        if (token.kind != Kind::Word && token.kind != Kind::Name)
            refuse("expected a name, not '" + token.text + "'");
        return token.text;
    }

private:
    const std::vector<Token>& m_tokens;
    size_t m_pos = 0;
};

bool startsConstraint(const Token& token) {
    for (const char* keyword : {"PRIMARY", "NOT", "NULL", "DEFAULT", "UNIQUE", "CHECK",
                                "REFERENCES", "COLLATE", "CONSTRAINT", "FOREIGN"}) {
        if (token.is(keyword))
            return true;
    }
    return false;
}

ScriptTable createTable(Reader& in) {
    if (in.take("IF")) {
        in.take("NOT");
        in.take("EXISTS");
    }
    ScriptTable table{in.name(), {}, {}};
    in.expectSymbol('(');
    for (;;) {
        if (startsConstraint(in.peek())) {
            refuse("table " + table.name + " has a constraint this build cannot keep");
        }
        std::string field = in.name();
        std::string declared;
        int depth = 0;
        while (!(depth == 0 && (in.peek().isSymbol(',') || in.peek().isSymbol(')')))) {
            const Token& token = in.next();
            if (startsConstraint(token))
                refuse("field " + field + " has a constraint this build cannot keep");
            depth += token.isSymbol('(') ? 1 : token.isSymbol(')') ? -1 : 0;
            declared += token.text + " ";
        }
        Column column = columnFromDeclaredType(field, declared);
        table.fields.push_back({column.name, static_cast<int>(column.type), column.size});
        if (in.takeSymbol(')'))
            return table;
        in.expectSymbol(',');
    }
}

Variant literal(Reader& in) {
    const bool negative = in.takeSymbol('-');
    if (!negative)
        in.takeSymbol('+');
    const Token& token = in.next();
    if (token.kind == Kind::Text && !negative)
        return Variant::string(token.text);
    if (token.is("NULL") && !negative)
        return Variant::null();
    if (token.kind != Kind::Number)
        refuse("'" + token.text + "' is no literal this build can load");
    const std::string text = (negative ? "-" : "") + token.text;
    if (text.find_first_of(".eE") == std::string::npos) {
        long long whole = std::strtoll(text.c_str(), nullptr, 10);
        if (whole >= std::numeric_limits<int32_t>::min() &&
            whole <= std::numeric_limits<int32_t>::max()) {
            return Variant::longValue(static_cast<int32_t>(whole));
        }
    }
    return Variant::doubleValue(std::strtod(text.c_str(), nullptr));
}

void insertInto(Reader& in, std::vector<ScriptTable>& tables) {
    const std::string name = in.name();
    ScriptTable* table = nullptr;
    for (ScriptTable& candidate : tables) {
        if (equalsIgnoreCase(candidate.name, name))
            table = &candidate;
    }
    if (!table)
        refuse("INSERT INTO " + name + " before its CREATE TABLE");
    std::vector<size_t> columns;
    if (in.takeSymbol('(')) {
        do {
            const std::string field = in.name();
            size_t index = 0;
            while (index < table->fields.size() &&
                   !equalsIgnoreCase(table->fields[index].name, field)) {
                ++index;
            }
            if (index == table->fields.size())
                refuse(name + " has no field " + field);
            columns.push_back(index);
        } while (in.takeSymbol(','));
        in.expectSymbol(')');
    } else {
        for (size_t index = 0; index < table->fields.size(); ++index)
            columns.push_back(index);
    }
    if (!in.take("VALUES"))
        refuse("INSERT INTO " + name + " without VALUES");
    do {
        std::vector<Variant> row(table->fields.size(), Variant::null());
        in.expectSymbol('(');
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                in.expectSymbol(',');
            Variant value = literal(in);
            // The database format keeps a CURRENCY as its amount times 10000 (so do the scripts).
            const bool number = !value.isNull() && value.kind() != VariantKind::String;
            if (number && table->fields[columns[i]].type == static_cast<int>(FieldType::Currency))
                value = Variant::currency(std::llround(value.toDouble()));
            row[columns[i]] = std::move(value);
        }
        in.expectSymbol(')');
        table->rows.push_back(std::move(row));
    } while (in.takeSymbol(','));
}

}  // namespace

std::vector<ScriptTable> readFixtureScript(std::string_view script) {
    std::vector<ScriptTable> tables;
    for (const std::vector<Token>& statement : statements(script)) {
        Reader in(statement);
        if (in.take("BEGIN") || in.take("COMMIT") || in.take("END") || in.take("PRAGMA"))
            continue;
        if (in.take("CREATE") && in.take("TABLE")) {
            tables.push_back(createTable(in));
        } else if (in.take("INSERT") && in.take("INTO")) {
            insertInto(in, tables);
        } else {
            refuse("'" + statement.front().text + " " +
                   (statement.size() > 1 ? statement[1].text : "") +
                   "' needs SQLite, which this build has not");
        }
        if (!in.atEnd())
            refuse("'" + in.peek().text + "' after the end of a statement");
    }
    return tables;
}

void makeJetDatabase(const std::filesystem::path& hostPath, std::string_view script) {
    std::vector<ScriptTable> tables = readFixtureScript(script);
    jet::createDatabase(hostPath.string());
    HostDatabase database(hostPath);
    for (const ScriptTable& table : tables) {
        database->createTable(table.name, table.fields);
        auto rows = database->openTable(table.name);
        for (const std::vector<Variant>& row : table.rows) {
            rows->addNew();
            for (size_t i = 0; i < row.size(); ++i) {
                if (!row[i].isNull())
                    rows->setValue(static_cast<int>(i), row[i]);
            }
            rows->update();
        }
        rows->close();
    }
    database->close();
}

}  // namespace dalvon::testing

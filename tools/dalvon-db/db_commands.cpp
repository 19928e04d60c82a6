#include "tools/dalvon-db/db_commands.h"

#include <filesystem>
#include <memory>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "store/database.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_create.h"
#include "tools/dalvon-db/backup_commands.h"
#include "tools/dalvon-db/convert_command.h"
#include "tools/dalvon-db/create_table_text.h"
#include "tools/dalvon-db/csv_writer.h"
#include "tools/dalvon-db/diff_command.h"
#include "tools/dalvon-db/json_writer.h"

namespace dalvon::db_tool {
namespace {

namespace fs = std::filesystem;

int listTables(CommandContext& context, const std::vector<std::string>& arguments) {
    auto db = openDatabase(context, arguments[0]);
    for (const std::string& name : db->tableNames())
        context.out << name << '\n';
    db->close();
    return 0;
}

// One line per field: table, field, Type, the type's name, Size (tab-separated); with --sql
// one CREATE TABLE statement per table.
int showSchema(CommandContext& context, const std::vector<std::string>& arguments) {
    auto db = openDatabase(context, arguments[0]);
    std::vector<std::string> tables =
        arguments.size() > 1 ? std::vector<std::string>{arguments[1]} : db->tableNames();
    bool sql = context.has("--sql");
    if (!sql)
        context.out << "Table\tField\tType\tTypeName\tSize\n";
    for (const std::string& table : tables) {
        std::vector<FieldDef> fields = db->tableFields(table);
        if (sql) {
            context.out << createTableText(table, fields, db->tableIndexes(table)) << '\n';
            continue;
        }
        for (const FieldDef& field : fields) {
            context.out << table << '\t' << field.name << '\t' << field.type << '\t'
                        << fieldTypeName(field.type) << '\t' << field.size << '\n';
        }
    }
    db->close();
    return 0;
}

void exportCsv(CommandContext& context, Recordset& rows) {
    std::string null = context.option("--null", "");
    std::vector<std::string> fields;
    for (int i = 0; i < rows.fieldCount(); ++i)
        fields.push_back(csvField(Variant::string(rows.field(i).name)));
    if (!context.has("--no-header"))
        writeCsvLine(context.out, fields);
    for (; !rows.eof(); rows.moveNext()) {
        for (int i = 0; i < rows.fieldCount(); ++i) {
            Variant value = rows.value(i);
            fields[static_cast<size_t>(i)] = value.isNull() ? null : csvField(value);
        }
        writeCsvLine(context.out, fields);
    }
}

void exportJson(CommandContext& context, Recordset& rows) {
    std::vector<std::string> names;
    for (int i = 0; i < rows.fieldCount(); ++i)
        names.push_back(rows.field(i).name);
    std::vector<Variant> values(names.size());
    for (; !rows.eof(); rows.moveNext()) {
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = rows.value(static_cast<int>(i));
        writeJsonLine(context.out, names, values);
    }
}

int exportTable(CommandContext& context, const std::vector<std::string>& arguments) {
    std::string format = context.option("--format", "csv");
    if (format != "csv" && format != "json")
        throw UsageError{"unknown export format '" + format + "' (csv or json)"};
    auto db = openDatabase(context, arguments[0]);
    auto rows = db->openTable(arguments[1]);
    if (format == "json")
        exportJson(context, *rows);
    else
        exportCsv(context, *rows);
    rows->close();
    db->close();
    return 0;
}

// The Windows-form path of a file the user named on the command line.
std::string windowsPathOf(CommandContext& context, const std::string& hostPath) {
    return context.files.windowsPath(utf8FromPath(fs::absolute(pathFromUtf8(hostPath))));
}

int createJetDatabase(CommandContext& context, const std::vector<std::string>& arguments) {
    jet::createDatabase(context.files, windowsPathOf(context, arguments[0]));
    return 0;
}

// Prints each problem of a Jet file and exits 1 when there is any; warnings and what could not
// be judged are listed too but do not fail the check.
int checkFile(CommandContext& context, const std::vector<std::string>& arguments) {
    const jet::JetCheckReport report =
        jet::checkJetFileReport(context.files, windowsPathOf(context, arguments[0]));
    for (const std::string& problem : report.problems)
        context.out << problem << '\n';
    for (const std::string& warning : report.warnings)
        context.out << "warning: " << warning << '\n';
    for (const std::string& note : report.notChecked)
        context.out << "not checked: " << note << '\n';
    if (!report.problems.empty()) {
        context.out << report.problems.size() << " problem(s) in " << arguments[0] << '\n';
        return 1;
    }
    context.out << "OK: " << arguments[0] << " (" << report.tables << " tables, " << report.indexes
                << " indexes, " << report.leakedPages << " leaked pages)\n";
    return 0;
}

}  // namespace

std::string CommandContext::option(std::string_view name, const std::string& fallback) const {
    auto found = options.find(name);
    return found == options.end() ? fallback : found->second;
}

std::unique_ptr<Database> openDatabase(CommandContext& context, const std::string& hostPath) {
    std::error_code error;
    fs::file_status status = fs::status(pathFromUtf8(hostPath), error);
    if (!fs::exists(status))
        throw Fault(3024, "", "Could not find file '" + hostPath + "'.");
    if (fs::is_directory(status))
        throw Fault(3051, "", "'" + hostPath + "' is a directory");
    return context.engine.open(windowsPathOf(context, hostPath));
}

constexpr std::string_view kDiffDetails =
    "Rows match when the update's takeover would carry the OLD row's limits into the NEW row:\n"
    "the key's texts compared without regard to case, numbers by value; a Null key value (or a\n"
    "double quote in a text) matches nothing; of several matching NEW rows the first counts.\n"
    "A var_name in the other system's form (VisiWin 32 or Studio, by the patterns of the\n"
    "Source_DEFS in NEW or OLD) is matched under the name the update renames it to.\n"
    "Per machine type it lists the rows only in OLD (limits not carried over) and only in NEW\n"
    "(with the limits they got), the rows whose limits changed, and counts the rows that are\n"
    "the same. The key is machine_type,var_name,offset_or_bitno unless --key names another;\n"
    "a key field that holds no text in OLD is compared as a number. The values compared are\n"
    "abs_min,abs_max,min,max,pass when both tables have them and the key is the update's,\n"
    "else every field both share outside the key, unless --fields names them.\n"
    "Exit status: 0 the tables agree, 1 they differ, 2 a wrong command line or trouble: a file,\n"
    "table or field that cannot be read or is not there (unlike the other commands' 1).";

const std::vector<Command>& commands() {
    static const std::vector<Command> kCommands = {
        {"tables", "FILE", "the names of the tables, in the store's order", 1, 1, listTables},
        {"schema",
         "[--sql] FILE [TABLE]",
         "the fields of every table (or one) with Type and Size",
         1,
         2,
         showSchema,
         {{"--sql", "",
           "print CREATE TABLE statements with the declared Jet type names, the primary key "
           "and CREATE INDEX statements"}},
         "Without --sql: one tab-separated line per field: table, field, Type number, type "
         "name, Size."},
        {"export",
         "[--format csv|json] [--null TEXT] [--no-header] FILE TABLE",
         "the rows of a table as CSV with a header line, or as JSON lines",
         2,
         2,
         exportTable,
         {{"--format", "csv|json", "csv (RFC 4180, CR LF) or json (one object a line, typed)"},
          {"--null", "TEXT", "how CSV writes Null (default: an empty field, like \"\")"},
          {"--no-header", "", "CSV without the header line"}},
         "JSON lines hold numbers and true/false as JSON values, Null as null, dates as "
         "\"yyyy-mm-dd hh:mm:ss\" text and binary data as hexadecimal text."},
        {"create",
         "FILE",
         "a new, empty Jet 4 database",
         1,
         1,
         createJetDatabase,
         {},
         "FILE must not exist; the database is written under a temporary name and put in place "
         "when complete."},
        {"convert",
         "[--format sqlite|jet4] [--template EMPTY] IN OUT",
         "copies every table of IN, keys and indexes included, into a new SQLite or Jet 4 file OUT",
         2,
         2,
         convertDatabase,
         {{"--format", "sqlite|jet4", "the kind of file OUT becomes (default: sqlite)"},
          {"--template", "EMPTY", "jet4: start from a copy of this empty database"}},
         "OUT must not exist; it is written under a temporary name and renamed when "
         "complete."},
        {"check", "FILE",
         "checks the structure of a Jet file; exit 1 when it finds problems or FILE is no Jet file",
         1, 1, checkFile},
        {"backups", "INSTALLATION", "the kept copies of the component database, oldest first", 1, 1,
         listBackups},
        {"restore", "INSTALLATION [NAME]",
         "puts a backup (the newest by default) back, keeping the replaced file", 1, 2,
         restoreBackup},
        {"diff",
         "[--format text|json] [--key FIELDS] [--fields FIELDS] OLD NEW [TABLE]\n"
         "       | [--format text|json] --installation DIR [BACKUP]",
         "what an update changed: PRESET_DEFS (or TABLE) of OLD and NEW, row by row as the "
         "update's takeover matches them",
         0,
         3,
         diffCommand,
         {{"--format", "text|json", "text for people (default) or one JSON object"},
          {"--key", "FIELDS", "match rows by these fields, comma-separated"},
          {"--fields", "FIELDS", "compare these fields, comma-separated"},
          {"--installation", "DIR",
           "OLD: the newest backup (or BACKUP); NEW: the component "
           "database"}},
         kDiffDetails,
         kDiffTrouble},
    };
    return kCommands;
}

}  // namespace dalvon::db_tool

#include "tools/dalvon-db/db_commands.h"

#include <memory>

#include "platform/file_system.h"
#include "store/database.h"
#include "store/jet/jet_check.h"
#include "tools/dalvon-db/convert_command.h"
#include "tools/dalvon-db/csv_writer.h"

namespace dalvon::db_tool {
namespace {

std::unique_ptr<Database> open(CommandContext& context, const std::string& hostPath) {
    return context.engine.open(context.files.windowsPath(hostPath));
}

int listTables(CommandContext& context, const std::vector<std::string>& arguments) {
    auto db = open(context, arguments[0]);
    for (const std::string& name : db->tableNames())
        context.out << name << '\n';
    db->close();
    return 0;
}

// One line per field: table, field, Type, the type's name, Size (tab-separated).
int showSchema(CommandContext& context, const std::vector<std::string>& arguments) {
    auto db = open(context, arguments[0]);
    std::vector<std::string> tables =
        arguments.size() > 1 ? std::vector<std::string>{arguments[1]} : db->tableNames();
    context.out << "Table\tField\tType\tTypeName\tSize\n";
    for (const std::string& table : tables) {
        for (const FieldDef& field : db->tableFields(table)) {
            context.out << table << '\t' << field.name << '\t' << field.type << '\t'
                        << fieldTypeName(field.type) << '\t' << field.size << '\n';
        }
    }
    db->close();
    return 0;
}

int exportTable(CommandContext& context, const std::vector<std::string>& arguments) {
    auto db = open(context, arguments[0]);
    auto rows = db->openTable(arguments[1]);
    std::vector<std::string> fields;
    for (int i = 0; i < rows->fieldCount(); ++i)
        fields.push_back(csvField(Variant::string(rows->field(i).name)));
    writeCsvLine(context.out, fields);
    for (; !rows->eof(); rows->moveNext()) {
        for (int i = 0; i < rows->fieldCount(); ++i)
            fields[static_cast<size_t>(i)] = csvField(rows->value(i));
        writeCsvLine(context.out, fields);
    }
    rows->close();
    db->close();
    return 0;
}

// Prints each problem of a Jet file and exits 1 when there is any; warnings and what could not
// be judged are listed too but do not fail the check.
int checkFile(CommandContext& context, const std::vector<std::string>& arguments) {
    const jet::JetCheckReport report = jet::checkJetFileReport(arguments[0]);
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

const std::vector<Command>& commands() {
    static const std::vector<Command> kCommands = {
        {"tables", "FILE", "the names of the tables, in the store's order", 1, 1, listTables},
        {"schema", "FILE [TABLE]", "the fields of every table (or one) with Type and Size", 1, 2,
         showSchema},
        {"export", "FILE TABLE", "the rows of a table as CSV with a header line", 2, 2,
         exportTable},
        {"convert", "IN OUT", "copies every table of IN into a new SQLite file OUT", 2, 2,
         convertDatabase},
        {"check", "FILE",
         "checks the structure of a Jet file; exit 1 when it finds problems or FILE is no Jet file",
         1, 1, checkFile},
    };
    return kCommands;
}

}  // namespace dalvon::db_tool

#include "tools/dalvon-db/diff_command.h"

#include <algorithm>
#include <map>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "presetdb/component_backup.h"
#include "store/database.h"
#include "tools/dalvon-db/backup_commands.h"
#include "tools/dalvon-db/diff_report.h"
#include "tools/dalvon-db/table_diff.h"
#include "tools/dalvon-db/var_name_renames.h"

namespace dalvon::db_tool {
namespace {

struct DiffFiles {
    std::string oldFile;  // host paths
    std::string newFile;
    std::string table = "PRESET_DEFS";
};

// "a, b,c" -> {"a", "b", "c"}; UsageError for an empty name.
std::vector<std::string> fieldList(const std::string& option, const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string name = trimBlanks(text.substr(start, comma - start));
        if (name.empty())
            throw UsageError{"empty field name in " + option + " '" + text + "'"};
        names.push_back(name);
        if (comma == std::string::npos)
            return names;
        start = comma + 1;
    }
}

// The backup BACKUP (a name as `backups` lists them, or a path), or the newest one.
std::string backupOf(CommandContext& context, const Installation& installation,
                     const std::string& backup) {
    if (backup.find('/') != std::string::npos)
        return backup;
    std::string folder = BackupFolder(installation.database);
    std::vector<std::string> names = ListBackups(context.files, installation.database);
    if (backup.empty() && names.empty())
        throw Fault(53, "",
                    "there is no backup of '" + context.files.hostPath(installation.database) +
                        "' in '" + context.files.hostPath(folder) + "'");
    return context.files.hostPath(folder + "\\" + (backup.empty() ? names.back() : backup));
}

DiffFiles filesToCompare(CommandContext& context, const std::vector<std::string>& arguments) {
    if (!context.has("--installation")) {
        if (arguments.size() < 2)
            throw UsageError{"diff needs OLD and NEW (or --installation DIR)"};
        return {arguments[0], arguments[1], arguments.size() > 2 ? arguments[2] : "PRESET_DEFS"};
    }
    if (arguments.size() > 1)
        throw UsageError{"diff --installation DIR takes at most one BACKUP"};
    if (context.has("--key") || context.has("--fields"))
        throw UsageError{"diff --installation compares PRESET_DEFS by the takeover's key"};
    Installation installation = installationAt(context, context.option("--installation", ""));
    std::string backup = backupOf(context, installation, arguments.empty() ? "" : arguments[0]);
    return {backup, context.files.hostPath(installation.database)};
}

TableRows readRows(CommandContext& context, const std::string& file, const std::string& table) {
    std::unique_ptr<Database> database = openDatabase(context, file);
    TableRows rows = readTableRows(*database, table, file);
    database->close();
    return rows;
}

// The update's renaming between the two systems' variable names, from the patterns of the
// Source_DEFS that NEW (a copy of the source database after an update) or else OLD holds.
std::map<std::string, std::string> updateRenames(CommandContext& context, const DiffFiles& files,
                                                 const TableRows& newRows) {
    for (const std::string& file : {files.newFile, files.oldFile}) {
        std::unique_ptr<Database> database = openDatabase(context, file);
        std::vector<std::string> tables = database->tableNames();
        bool hasPatterns = std::find(tables.begin(), tables.end(), "Source_DEFS") != tables.end();
        database->close();
        if (hasPatterns)
            return otherSystemNames(readRows(context, file, "Source_DEFS"), newRows);
    }
    return {};
}

// --key FIELDS: a field that holds text in OLD is compared as the takeover compares its texts,
// any other as a number.
std::vector<KeyField> keyOf(const std::vector<std::string>& names, const TableRows& oldRows) {
    if (names.empty())
        return takeoverKey();
    std::vector<KeyField> key;
    for (const std::string& name : names) {
        bool quoted = true;
        for (const FieldDef& field : oldRows.fields) {
            if (equalsIgnoreCase(field.name, name))
                quoted = field.type == static_cast<int>(FieldType::Text) ||
                         field.type == static_cast<int>(FieldType::Memo) ||
                         field.type == static_cast<int>(FieldType::Guid);
        }
        key.push_back({name, quoted});
    }
    return key;
}

}  // namespace

int diffCommand(CommandContext& context, const std::vector<std::string>& arguments) {
    std::string format = context.option("--format", "text");
    if (format != "text" && format != "json")
        throw UsageError{"unknown diff format '" + format + "' (text or json)"};
    std::vector<std::string> keyNames, comparedNames;
    if (context.has("--key"))
        keyNames = fieldList("--key", context.option("--key", ""));
    if (context.has("--fields"))
        comparedNames = fieldList("--fields", context.option("--fields", ""));
    DiffFiles files = filesToCompare(context, arguments);
    TableRows oldRows = readRows(context, files.oldFile, files.table);
    TableRows newRows = readRows(context, files.newFile, files.table);
    DiffPlan plan;
    plan.key = keyOf(keyNames, oldRows);
    plan.compared = comparedNames;
    if (keyNames.empty())
        plan.renames = updateRenames(context, files, newRows);
    TableDiff diff = diffTables(oldRows, newRows, plan, files.oldFile, files.newFile);
    DiffSubject subject{files.oldFile, files.newFile, files.table};
    if (format == "json")
        writeDiffJson(context.out, subject, diff);
    else
        writeDiffText(context.out, subject, diff);
    return diff.counts().differ() ? kDiffDiffer : kDiffSame;
}

}  // namespace dalvon::db_tool

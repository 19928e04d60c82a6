#include "store/faults.h"

namespace dalvon::faults {
namespace {

constexpr const char* kDatabase = "DAO.Database";
constexpr const char* kWorkspace = "DAO.Workspace";
constexpr const char* kRecordset = "DAO.Recordset";

std::string inParentheses(const std::string& text, const std::string& context) {
    return context.empty() ? text : text + " (" + context + ")";
}

std::string tableContext(const std::string& table) {
    return table.empty() ? std::string() : "table '" + table + "'";
}

const char* engineName(Wording wording) {
    return wording == Wording::Jet ? "The Microsoft Jet database engine" : "The database engine";
}

}  // namespace

Fault couldNotFindFile(const std::string& path) {
    return Fault(3024, kWorkspace, "Could not find file '" + path + "'.");
}

Fault unrecognizedFormat(const std::string& path, const std::string& detail) {
    std::string text = "Unrecognized database format '" + path + "'.";
    return Fault(3343, kWorkspace, detail.empty() ? text : text + " " + detail);
}

Fault cannotOpenFile(const std::string& path, Wording wording, const std::string& detail) {
    return Fault(3051, wording == Wording::Jet ? kWorkspace : kDatabase,
                 std::string(engineName(wording)) + " cannot open the file '" + path +
                     "'. It is already opened exclusively by another user, or you need "
                     "permission to view its data." +
                     detail);
}

Fault fileUnreadable(const std::string& path) {
    return Fault(3051, kWorkspace, "The file '" + path + "' cannot be read.");
}

Fault databaseCorrupt(const std::string& path, const std::string& detail) {
    return Fault(3049, kDatabase,
                 "Cannot open database '" + path +
                     "'. It may not be a database that your application recognizes, or the file "
                     "may be corrupt." +
                     detail);
}

Fault currentlyLocked(const std::string& detail) {
    return Fault(3218, kDatabase, "Could not update; currently locked." + detail);
}

Fault readOnlyDatabase(const std::string& detail) {
    return Fault(3027, kDatabase, "Cannot update. Database or object is read-only." + detail);
}

Fault diskFull(const std::string& detail) {
    return Fault(3026, kDatabase, "Not enough space on disk." + detail);
}

Fault diskError(const std::string& detail) {
    return Fault(3043, kDatabase, "Disk or network error." + detail);
}

Fault reservedError(const std::string& what, const std::string& detail) {
    return Fault(3000, kDatabase, "Reserved error (" + what + ")" + detail);
}

Fault fileInUse(const std::string& path) {
    return Fault(3045, kWorkspace, "Could not use '" + path + "'; file already in use.");
}

Fault databaseExists(const std::string& path) {
    return Fault(3204, "DAO.DBEngine", "Database '" + path + "' already exists.");
}

Fault databaseClosed(const std::string& path) {
    return Fault(3420, kDatabase,
                 "Object invalid or no longer set. The database '" + path + "' was closed.");
}

Fault closedDatabase(Wording wording) {
    return Fault(3420, kDatabase,
                 inParentheses("Object invalid or no longer set.",
                               wording == Wording::Jet ? "" : "a closed database"));
}

Fault closedRecordset(const std::string& table) {
    return Fault(3420, kRecordset,
                 inParentheses("Object invalid or no longer set.",
                               "a closed record set on '" + table + "'"));
}

Fault noCurrentRecord(const std::string& table) {
    return Fault(3021, kRecordset, inParentheses("No current record.", tableContext(table)));
}

Fault updateWithoutEdit(const std::string& table) {
    return Fault(
        3020, kRecordset,
        inParentheses("Update or CancelUpdate without AddNew or Edit.", tableContext(table)));
}

Fault recordDeleted(const std::string& table) {
    return Fault(3167, kRecordset, inParentheses("Record is deleted.", tableContext(table)));
}

Fault recordTooLarge(const std::string& table) {
    return Fault(3047, kRecordset, inParentheses("Record is too large.", tableContext(table)));
}

Fault fieldNotFound(const std::string& what) {
    return Fault(3265, "DAO.Fields", inParentheses("Item not found in this collection.", what));
}

Fault tableDefNotFound(const std::string& what) {
    return Fault(3265, "DAO.TableDefs", inParentheses("Item not found in this collection.", what));
}

Fault inputTableNotFound(const std::string& name, Wording wording) {
    return Fault(3078, kDatabase,
                 std::string(engineName(wording)) + " cannot find the input table or query '" +
                     name + "'. Make sure it exists and that its name is spelled correctly.");
}

Fault tableExists(const std::string& table) {
    return Fault(3010, "DAO.TableDefs", "Table '" + table + "' already exists.");
}

Fault noFieldDefined(const std::string& table) {
    return Fault(
        3264, "DAO.TableDefs",
        inParentheses("No field defined--cannot append TableDef or Index.", tableContext(table)));
}

Fault invalidName(const std::string& name, const std::string& what) {
    return Fault(3125, "DAO.TableDef",
                 "'" + name + "' is not a valid name" + (what.empty() ? "" : " for " + what) +
                     ". Make sure that it does not include invalid characters or punctuation and "
                     "that it is not too long.");
}

namespace {
constexpr const char* kDefinedTwice = "Cannot define field more than once.";
}

Fault duplicateField(const std::string& field, const std::string& table) {
    return Fault(3191, "DAO.Fields",
                 inParentheses(kDefinedTwice, "field '" + field + "' of table '" + table + "'"));
}

Fault fieldDefinedTwice(const std::string& field) {
    return Fault(3191, "DAO.Fields", inParentheses(kDefinedTwice, field));
}

Fault catalogEntryExists() {
    return Fault(3010, kDatabase, "An entry of that name exists already in the catalog.");
}

Fault duplicateKey(const std::string& detail) {
    return Fault(3022, kDatabase,
                 "The changes you requested to the table were not successful because they would "
                 "create duplicate values in the index, primary key, or relationship. Change the "
                 "data in the field or fields that contain duplicate data, remove the index, or "
                 "redefine the index to permit duplicate entries and try again." +
                     detail);
}

Fault primaryKeyExists(const std::string& detail) {
    return Fault(3283, "DAO.Indexes", inParentheses("Primary key already exists.", detail));
}

Fault indexExists(const std::string& detail) {
    return Fault(3284, "DAO.Indexes", inParentheses("Index already exists.", detail));
}

Fault nullInKey(const std::string& detail) {
    return Fault(3058, kDatabase,
                 inParentheses("Index or primary key cannot contain a Null value.", detail));
}

Fault invalidFieldType(const std::string& detail) {
    return Fault(3259, "DAO.Field", "Invalid field data type" + detail);
}

Fault conversionError(const std::string& field, const std::string& value) {
    return Fault(3421, "DAO.Field",
                 "Data type conversion error. The field " + field + " cannot take " + value + ".");
}

Fault numericOverflow(const std::string& field, const std::string& value) {
    return Fault(3349, "DAO.Field",
                 "Numeric field overflow. The field " + field + " cannot hold " + value + ".");
}

namespace {
constexpr const char* kTooSmall =
    "The field is too small to accept the amount of data you attempted to add.";
constexpr const char* kPasteLess = " Try inserting or pasting less data.";
}  // namespace

Fault textTooLong(const std::string& field, size_t characters) {
    return Fault(3163, "DAO.Field",
                 std::string(kTooSmall) + kPasteLess + " (The field " + field + " got " +
                     std::to_string(characters) + " characters.)");
}

Fault fieldTooSmall(const std::string& field) {
    return Fault(3163, "DAO.Field", std::string(kTooSmall) + kPasteLess + " (" + field + ")");
}

Fault binaryTooLong(const std::string& field, size_t bytes) {
    return Fault(3163, "DAO.Field",
                 std::string(kTooSmall) + " (The field " + field + " got " + std::to_string(bytes) +
                     " bytes.)");
}

Fault syntaxError(const std::string& detail, const std::string& text) {
    return Fault(3075, kDatabase,
                 "Syntax error (" + detail + ") in query expression '" + text + "'.");
}

Fault fromClauseError(const std::string& detail, const std::string& text) {
    return Fault(3131, kDatabase,
                 "Syntax error in FROM clause (" + detail + ") in query '" + text + "'.");
}

Fault tooFewParameters(size_t count, const std::string& detail) {
    return Fault(3061, kDatabase,
                 "Too few parameters. Expected " + std::to_string(count) + ". " + detail);
}

Fault criteriaMismatch(const std::string& detail) {
    return Fault(3464, kDatabase, "Data type mismatch in criteria expression" + detail);
}

}  // namespace dalvon::faults

#pragma once

#include <cstddef>
#include <string>

#include "platform/fault.h"

// The faults of the store, with the numbers and texts of the classic database engine. Each text
// is written here once; callers add the context (file, table, field, query) in parentheses or
// as the factory's parameters say. Each factory returns the Fault; the caller throws it.
namespace dalvon::faults {

// Some faults read differently where the Access reader raises them: it names the engine.
enum class Wording { Store, Jet };

// 3024 "Could not find file '<path>'."
Fault couldNotFindFile(const std::string& path);
// 3343 "Unrecognized database format '<path>'." followed by `detail` when there is one.
Fault unrecognizedFormat(const std::string& path, const std::string& detail = {});
// 3051 the file cannot be opened (permissions or an exclusive lock); `detail` follows the text.
Fault cannotOpenFile(const std::string& path, Wording wording, const std::string& detail = {});
// 3051 a file the checker cannot read.
Fault fileUnreadable(const std::string& path);
// 3049 the file is damaged or no database.
Fault databaseCorrupt(const std::string& path, const std::string& detail);
// Failures of the file while reading or writing it; `detail` follows the text.
Fault currentlyLocked(const std::string& detail);                         // 3218
Fault readOnlyDatabase(const std::string& detail);                        // 3027
Fault diskFull(const std::string& detail);                                // 3026
Fault diskError(const std::string& detail);                               // 3043
Fault reservedError(const std::string& what, const std::string& detail);  // 3000
// 3045 "Could not use '<path>'; file already in use." (a lock file lies beside it).
Fault fileInUse(const std::string& path);
// 3204 "Database '<path>' already exists."
Fault databaseExists(const std::string& path);

// 3420 an object used after it was closed.
Fault databaseClosed(const std::string& path);  // "The database '<path>' was closed."
Fault closedDatabase(Wording wording);          // a Database handle after close()
Fault closedRecordset(const std::string& table);

// Record set faults; `table` (when not empty) is named in parentheses.
Fault noCurrentRecord(const std::string& table = {});    // 3021
Fault updateWithoutEdit(const std::string& table = {});  // 3020
Fault recordDeleted(const std::string& table);           // 3167
Fault recordTooLarge(const std::string& table);          // 3047

// 3265 "Item not found in this collection. (<what>)" for a field or a table definition.
Fault fieldNotFound(const std::string& what);
Fault tableDefNotFound(const std::string& what);
// 3078 no table or query of that name to read from.
Fault inputTableNotFound(const std::string& name, Wording wording);

// Table definitions.
Fault tableExists(const std::string& table);     // 3010
Fault noFieldDefined(const std::string& table);  // 3264
// 3125; `what` (when not empty) says what the name was meant for.
Fault invalidName(const std::string& name, const std::string& what);
Fault duplicateField(const std::string& field, const std::string& table);  // 3191
Fault fieldDefinedTwice(const std::string& field);  // 3191 "... more than once. (<field>)"
// 3010 a second catalog entry of the same parent and name.
Fault catalogEntryExists();
// 3022 a change would give a unique index or primary key a second entry with the same key.
Fault duplicateKey(const std::string& detail);
Fault invalidFieldType(const std::string& detail);  // 3259 "Invalid field data type<detail>"
// Indexes of a table; `detail` names the index and its table.
Fault primaryKeyExists(const std::string& detail);  // 3283
Fault indexExists(const std::string& detail);       // 3284
Fault nullInKey(const std::string& detail);         // 3058

// Values that do not suit a field; `field` is the field's label, `value` the value's.
Fault conversionError(const std::string& field, const std::string& value);  // 3421
Fault numericOverflow(const std::string& field, const std::string& value);  // 3349
Fault textTooLong(const std::string& field, size_t characters);             // 3163
Fault binaryTooLong(const std::string& field, size_t bytes);                // 3163
Fault fieldTooSmall(const std::string& field);  // 3163 without a count: "(<field>)"

// Queries. `text` is the query; `detail` says what is wrong.
Fault syntaxError(const std::string& detail, const std::string& text);      // 3075
Fault fromClauseError(const std::string& detail, const std::string& text);  // 3131
// 3061 "Too few parameters. Expected <count>. <detail>"
Fault tooFewParameters(size_t count, const std::string& detail);
// 3464 "Data type mismatch in criteria expression<detail>"
Fault criteriaMismatch(const std::string& detail);

}  // namespace dalvon::faults

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/variant.h"

namespace dalvon {

class FileSystem;

// Field types with the numbers the classic engine reports as a field's "Type".
enum class FieldType : int {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Binary = 9,
    Text = 10,
    LongBinary = 11,
    Memo = 12,
    Guid = 15,
};

// The name of a field type as people know it ("Long", "Text", "Long Binary", ...); "type N"
// for a number that is no known type.
std::string fieldTypeName(int type);

// A field of a table definition: its "Name", "Type" and "Size" properties. Sizes as the classic
// engine reports them (Boolean 1, Byte 1, Integer 2, Long 4, Currency 8, Single 4, Double 8,
// Date 8, Text n, Memo 0, LongBinary 0, Guid 16).
struct FieldDef {
    std::string name;
    int type = static_cast<int>(FieldType::Text);
    int32_t size = 0;
    bool operator==(const FieldDef&) const = default;
};

// One field of an index key, named as the table names it.
struct IndexField {
    std::string name;
    bool ascending = true;
    bool operator==(const IndexField&) const = default;
};

// An index of a table: its name, its key fields in order, and whether it is the table's primary
// key (unique, no Null in its fields) or otherwise keeps its keys unique.
struct IndexDef {
    std::string name;
    std::vector<IndexField> fields;
    bool primary = false;
    bool unique = false;  // also true for the primary key
    bool operator==(const IndexDef&) const = default;
};

// Rows of a table or of an SQL result. Releasing (destroying) the object does not commit or
// roll back anything; writes become part of the database's transaction at update().
// All failures throw Fault (3021 no current record, 3020 update without edit, 3265 unknown
// field, 3421 conversion, 3163 field too small, ...).
class Recordset {
public:
    Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    virtual ~Recordset() = default;

    // True when there is no current row after the last one (or the set is empty).
    virtual bool eof() const = 0;
    virtual void moveFirst() = 0;  // Fault 3021 when the set is empty
    virtual void moveNext() = 0;   // Fault 3021 when already past the end
    virtual void moveLast() = 0;   // Fault 3021 when the set is empty
    // The exact number of rows of the set.
    virtual int32_t recordCount() const = 0;

    // The fields of the set in their order.
    virtual int fieldCount() const = 0;
    virtual const FieldDef& field(int index) const = 0;  // Fault 3265 when out of range
    // Position of a field by name, without regard to case; Fault 3265 when there is none.
    virtual int fieldIndex(const std::string& name) const = 0;

    // Values of the current row (Fault 3021 without one).
    virtual Variant value(int index) const = 0;
    Variant value(const std::string& name) const { return value(fieldIndex(name)); }
    // Sets a value of the row being added or edited (Fault 3020 without addNew/edit); the value
    // is converted to the field's type as the classic engine does.
    virtual void setValue(int index, const Variant& value) = 0;
    void setValue(const std::string& name, const Variant& value) {
        setValue(fieldIndex(name), value);
    }

    // Starts a new row (all fields Null); update() stores it.
    virtual void addNew() = 0;
    // Starts editing the current row; update() stores the change in the base table.
    virtual void edit() = 0;
    // Stores the added or edited row. After addNew the current row stays where it was.
    virtual void update() = 0;
    virtual void close() = 0;
};

// One open database file. Writes of all handles on the same file go into one transaction that
// is committed when the last handle on the file is closed (and by DatabaseEngine::flushAll).
class Database {
public:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    virtual ~Database() = default;  // closes when still open

    virtual void close() = 0;

    // The names of all user tables, in the store's order.
    virtual std::vector<std::string> tableNames() = 0;
    // Fault 3265 when there is no table of that exact name.
    virtual void deleteTable(const std::string& name) = 0;
    // The fields of a table, in order (Fault 3265 when missing). Table names match exactly.
    virtual std::vector<FieldDef> tableFields(const std::string& name) = 0;
    // The table's indexes, the primary key first (Fault 3265 when the table is missing). Only
    // what IndexDef can say is listed: an engine's indexes on expressions or on part of the rows
    // are left out.
    virtual std::vector<IndexDef> tableIndexes(const std::string& name) = 0;
    // Creates a table with these fields and indexes and nothing else (no default, no rule).
    // Fault 3010 when a table of that name exists; 3265 for an index naming a field the table
    // lacks, 3283 for a second primary key, 3284 for two indexes of one name, 3125 for an empty
    // name; the engine's fault for an index it cannot keep.
    virtual void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                             const std::vector<IndexDef>& indexes) = 0;
    // A table with no key and no index.
    void createTable(const std::string& name, const std::vector<FieldDef>& fields) {
        createTable(name, fields, {});
    }
    // Gives a field a new name (the old name matched without regard to case).
    virtual void renameField(const std::string& table, const std::string& oldName,
                             const std::string& newName) = 0;

    // All rows of a table, updatable, in insertion order (Fault 3078 when missing).
    virtual std::unique_ptr<Recordset> openTable(const std::string& name) = 0;
    // The rows of a query of the supported SQL subset, updatable (a stored edit changes the
    // base table's row). Syntax faults 3075/3131, 3464 for a mismatched literal.
    virtual std::unique_ptr<Recordset> openQuery(const std::string& sql) = 0;
};

// Opens database files; the engine is chosen by the file's content, never by its name.
class DatabaseEngine {
public:
    DatabaseEngine() = default;
    DatabaseEngine(const DatabaseEngine&) = delete;
    DatabaseEngine& operator=(const DatabaseEngine&) = delete;
    virtual ~DatabaseEngine() = default;

    // Opens the file shared and read-write. `path` is Windows form. Fault 3024 "Could not find
    // file '<path>'." when it is missing, Fault 3343 "Unrecognized database format '<path>'."
    // when no engine recognises it.
    virtual std::unique_ptr<Database> open(const std::string& path) = 0;

    // Commits whatever the open databases have written (called when the program ends early).
    virtual void flushAll() = 0;

    // The committed content of the database file at `path`, which is what a copy of it must
    // hold: what the engine keeps beside the file (a SQLite write-ahead log, the journal of a
    // writer that died) is recovered first. A file no engine recognises is read as it is.
    // Fault 3024 when it is missing; the engine's fault when it cannot recover the file.
    virtual std::string committedContent(const std::string& path) = 0;

    // Before the database file `from` is copied over the file `to`: Fault 3049 when `from`
    // fails its engine's integrity check (or no engine recognises it), Fault 75 when another
    // program holds `to` open. Nothing is changed.
    virtual void checkCopy(const std::string& from, const std::string& to) = 0;

    // From now on every change through a database opened on `path` fails with `reason` and
    // nothing reaches the file (for a file that has to stay as it is).
    virtual void refuseWrites(const std::string& path, const Fault& reason) = 0;
};

// The engine of the program: SQLite files (where the build has them) and Access (Jet) files,
// chosen by content.
std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files);

// Creates an empty database of the build's default format (SQLite, or Jet without SQLite) at the
// host path `hostPath`, which must not exist yet; a DatabaseEngine then opens it. Fault naming the
// file when it cannot.
void createEmptyDatabase(const std::string& hostPath);

}  // namespace dalvon

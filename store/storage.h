#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/variant.h"
#include "store/column.h"
#include "store/database.h"

namespace dalvon {

// What a storage engine does: keep tables of rows. What the rows mean — the classic engine's
// value and type rules, record sets, the SQL subset, keyed lookups — belongs to the store above
// this interface; an engine only keeps rows and hands them back.
//
// The contract every engine keeps (tests/store/storage_contract_test.cpp checks it on each):
// - Tables are named exactly as stored; a table that does not exist is Fault 3078.
// - columns() and fields(): the table's fields in storage order, with Name, Type and Size as
// FieldDef states.
// - A row is one value per field, in field order. A value is Null or of the kind of its field's
//   type: Boolean, Byte, Integer, Long, Currency, Single, Double, Date, String (Text, Memo,
//   GUID) or Binary (Binary, Long Binary). Writers are given values of those kinds only (the
//   layer above converts) and hand them back alike.
// - Every row has an id, positive and unique in its table, that stays the row's until the table
//   is deleted. scan() visits every row once, in storage order; for rows appended by this
//   interface that is the order they were appended, and their ids ascend in it.
// - readRow(): the row with that id, or nothing when the table has none.
// - Writes are part of one transaction that commit() ends; an engine never leaves half of it
//   in the file. An engine that cannot write refuses every write with Fault 3027 and changes
//   nothing.
class Storage {
public:
    using RowId = int64_t;
    using Row = std::vector<Variant>;
    // New values by their field's position.
    using Changes = std::vector<std::pair<size_t, Variant>>;

    Storage() = default;
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;
    virtual ~Storage() = default;  // commits what was written, as Database does

    // Reading.
    virtual std::vector<std::string> tableNames() = 0;
    // The table's columns: its fields, and whether a field takes values of any kind as given.
    virtual std::vector<Column> columns(const std::string& table) = 0;
    std::vector<FieldDef> fields(const std::string& table);
    // The ids of the table's rows in storage order.
    virtual std::vector<RowId> rowIds(const std::string& table);
    virtual void scan(const std::string& table,
                      const std::function<void(RowId, const Row&)>& visit) = 0;
    // As scan(), with only the fields at `positions`, in that order, in each row handed out.
    virtual void scanFields(const std::string& table, const std::vector<size_t>& positions,
                            const std::function<void(RowId, const Row&)>& visit);
    virtual std::optional<Row> readRow(const std::string& table, RowId id) = 0;
    // The rows with ids from `first` to `last` that the table has, by ascending id: how a
    // record set reads ahead.
    virtual std::vector<std::pair<RowId, Row>> readRange(const std::string& table, RowId first,
                                                         RowId last);

    // Writing. appendRow takes values by field position (the fields not given get their
    // default, Null in tables made by createTable) and returns the new row's id; updateRow
    // returns false when the table has no row with that id.
    virtual RowId appendRow(const std::string& table, const Changes& values) = 0;
    virtual bool updateRow(const std::string& table, RowId id, const Changes& changes) = 0;
    // The table's indexes, the primary key first, with fields named as columns() names them.
    virtual std::vector<IndexDef> indexes(const std::string& table) = 0;
    // Fault 3010 when the table exists. The layer above has checked that the indexes name the
    // table's fields (by their exact names), one of them at most is primary and their names
    // differ.
    virtual void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                             const std::vector<IndexDef>& indexes) = 0;
    void createTable(const std::string& name, const std::vector<FieldDef>& fields) {
        createTable(name, fields, {});
    }
    virtual void deleteTable(const std::string& name) = 0;
    virtual void renameField(const std::string& table, const std::string& oldName,
                             const std::string& newName) = 0;
    virtual void commit() = 0;
};

// The engines. SQLite keeps its own file access: it opens the host file `hostPath`;
// `displayPath` names the file in fault texts. The Jet engine reads and writes the file at
// `path` (Windows form) through `files`.
std::unique_ptr<Storage> openSqliteStorage(const std::string& hostPath,
                                           const std::string& displayPath);
std::unique_ptr<Storage> openJetStorage(FileSystem& files, const std::string& path);

}  // namespace dalvon

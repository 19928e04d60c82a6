#include <sqlite3.h>

#include <algorithm>

#include "platform/sqlite/sqlite_connection.h"

// The parts of Connection that write rows and keep the key indexes current with them.
namespace dalvon::sqlite {

const std::string& Connection::writeSql(char kind, const std::string& table, const Cells& cells) {
    // The statement depends only on the table and which columns are written.
    std::string shape(1, kind);
    shape += table;
    shape += '\0';
    for (const auto& cell : cells) {
        shape += static_cast<char>(cell.first & 0xff);
        shape += static_cast<char>(cell.first >> 8);
    }
    std::string& sql = m_writeSql[shape];
    if (!sql.empty())
        return sql;
    const std::vector<Column>& all = columns(table);
    std::string target = "main." + quoteIdentifier(table);
    std::string names, marks;
    for (size_t i = 0; i < cells.size(); ++i) {
        std::string mark = "?" + std::to_string(i + 1);
        std::string name = quoteIdentifier(all.at(cells[i].first).name);
        names += (i == 0 ? "" : ", ") + (kind == 'I' ? name : name + " = " + mark);
        marks += (i == 0 ? "" : ", ") + mark;
    }
    if (kind == 'I') {
        sql = cells.empty() ? "INSERT INTO " + target + " DEFAULT VALUES"
                            : "INSERT INTO " + target + " (" + names + ") VALUES (" + marks + ")";
    } else {
        sql = "UPDATE " + target + " SET " + names + " WHERE " + rowidName(all) + " = ?" +
              std::to_string(cells.size() + 1);
    }
    return sql;
}

int64_t Connection::insertRow(const std::string& table, const Cells& cells) {
    int64_t rowid = runWrite(writeSql('I', table, cells), cells, std::nullopt);
    auto indexes = m_indexes.find(table);
    if (indexes == m_indexes.end())
        return rowid;
    for (const auto& index : indexes->second) {
        std::vector<const StoredValue*> values;
        for (size_t position : index->positions()) {
            auto cell = std::find_if(cells.begin(), cells.end(),
                                     [&](const auto& c) { return c.first == position; });
            values.push_back(cell == cells.end() ? nullptr : &cell->second);
        }
        std::vector<StoredValue> stored;
        if (std::find(values.begin(), values.end(), nullptr) != values.end()) {
            // A column not written gets the table's default: read what was stored.
            stored = storedKey(*index, table, rowid);
            for (size_t i = 0; i < stored.size(); ++i)
                values[i] = &stored[i];
        }
        index->add(rowid, values);
    }
    return rowid;
}

void Connection::updateRow(const std::string& table, int64_t rowid, Cells changes,
                           const std::vector<const StoredValue*>& before) {
    auto indexes = m_indexes.find(table);
    // A value known to be stored already is not written again.
    StoredValue stored;
    std::erase_if(changes, [&](const auto& change) {
        if (change.first < before.size() && before[change.first] != nullptr)
            return sameStored(*before[change.first], change.second);
        if (indexes == m_indexes.end())
            return false;
        for (const auto& index : indexes->second) {
            std::optional<size_t> key = index->keyOf(change.first);
            if (key && index->storedValue(rowid, *key, stored))
                return sameStored(stored, change.second);
        }
        return false;
    });
    if (changes.empty())
        return;
    try {
        runWrite(writeSql('U', table, changes), changes, rowid);
    } catch (const Fault&) {
        // Whether the row changed is not known: the indexes are built again when needed.
        m_indexes.erase(table);
        throw;
    }
    if (sqlite3_changes(m_db) == 0) {
        throw Fault(3167, "DAO.Recordset", "Record is deleted. (table '" + table + "')");
    }
    if (indexes == m_indexes.end())
        return;
    for (const auto& index : indexes->second) {
        for (const auto& change : changes) {
            if (std::optional<size_t> key = index->keyOf(change.first))
                index->change(rowid, *key, change.second);
        }
    }
}

}  // namespace dalvon::sqlite

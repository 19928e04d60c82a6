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
            const StoredValue* value = nullptr;
            for (const auto& cell : cells) {
                if (cell.first == position)
                    value = &cell.second;
            }
            values.push_back(value);
        }
        std::optional<std::string> key;
        if (std::find(values.begin(), values.end(), nullptr) == values.end()) {
            key = index->keyOf(values);
        } else {
            // A column not written gets the table's default: read what was stored.
            std::vector<StoredValue> stored = storedKey(*index, table, rowid);
            for (size_t i = 0; i < stored.size(); ++i)
                values[i] = &stored[i];
            key = index->keyOf(values);
        }
        if (key)
            index->add(*key, rowid);
    }
    return rowid;
}

void Connection::updateRow(const std::string& table, int64_t rowid, const Cells& changes,
                           const std::vector<const StoredValue*>& before) {
    if (changes.empty())
        return;
    // Index entries move before the write: the old key may have to be read from the row.
    auto indexes = m_indexes.find(table);
    if (indexes != m_indexes.end()) {
        for (const auto& index : indexes->second) {
            bool touched = false;
            for (const auto& change : changes)
                touched = touched || index->covers(change.first);
            if (!touched)
                continue;
            std::vector<const StoredValue*> oldValues;
            for (size_t position : index->positions())
                oldValues.push_back(position < before.size() ? before[position] : nullptr);
            std::vector<StoredValue> stored;
            if (std::find(oldValues.begin(), oldValues.end(), nullptr) != oldValues.end()) {
                stored = storedKey(*index, table, rowid);
                for (size_t i = 0; i < stored.size(); ++i)
                    oldValues[i] = &stored[i];
            }
            std::vector<const StoredValue*> newValues = oldValues;
            for (size_t i = 0; i < index->positions().size(); ++i) {
                for (const auto& change : changes) {
                    if (change.first == index->positions()[i])
                        newValues[i] = &change.second;
                }
            }
            std::optional<std::string> oldKey = index->keyOf(oldValues);
            std::optional<std::string> newKey = index->keyOf(newValues);
            if (oldKey == newKey)
                continue;
            if (oldKey)
                index->remove(*oldKey, rowid);
            if (newKey)
                index->add(*newKey, rowid);
        }
    }
    try {
        runWrite(writeSql('U', table, changes), changes, rowid);
    } catch (const Fault&) {
        // The index was moved for a write that did not happen: build it again when needed.
        m_indexes.erase(table);
        throw;
    }
}

}  // namespace dalvon::sqlite

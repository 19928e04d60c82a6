#include <sqlite3.h>

#include <algorithm>

#include "store/faults.h"
#include "store/sqlite/sqlite_connection.h"

// The parts of Connection that write rows.
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
        names += (i == 0 ? "" : ", ") + (kind == 'U' ? name + " = " + mark : name);
        marks += (i == 0 ? "" : ", ") + mark;
    }
    if (kind == 'R') {
        // A row with its id given last.
        sql = "INSERT INTO " + target + " (" + names + ", " + rowidName(all) + ") VALUES (" +
              marks + ", ?" + std::to_string(cells.size() + 1) + ")";
    } else if (kind == 'I') {
        sql = cells.empty() ? "INSERT INTO " + target + " DEFAULT VALUES"
                            : "INSERT INTO " + target + " (" + names + ") VALUES (" + marks + ")";
    } else {
        sql = "UPDATE " + target + " SET " + names + " WHERE " + rowidName(all) + " = ?" +
              std::to_string(cells.size() + 1);
    }
    return sql;
}

void Connection::tableCreated(const std::string& table) {
    m_held[table];
}

void Connection::eachRowAndHeld(const std::string& sql, const std::string& table,
                                const std::function<void(Row&)>& visitStored,
                                const std::function<void(int64_t, const std::string&)>& visitHeld) {
    eachStoredRow(sql, {}, visitStored);
    auto held = m_held.find(table);
    if (held == m_held.end())
        return;
    for (size_t i = 0; i < held->second.ids.size(); ++i)
        visitHeld(held->second.ids[i], held->second.rows[i]);
}

void Connection::writeHeldRows() {
    for (auto& [table, held] : m_held) {
        if (held.rows.empty())
            continue;
        Cells cells(columns(table).size());
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i].first = i;
        const std::string sql = writeSql('R', table, cells);
        size_t written = 0;
        try {
            for (; written < held.rows.size(); ++written)
                runPackedInsert(sql, held.rows[written], held.ids[written]);
        } catch (const Fault&) {
            // What was written stays written; the rest is held for the next attempt.
            for (size_t i = 0; i < written; ++i)
                held.bytes -= held.rows[i].size();
            held.rows.erase(held.rows.begin(), held.rows.begin() + static_cast<ptrdiff_t>(written));
            held.ids.erase(held.ids.begin(), held.ids.begin() + static_cast<ptrdiff_t>(written));
            throw;
        }
        held.rows.clear();
        held.ids.clear();
        held.bytes = 0;
    }
}

bool Connection::updateHeldRow(const std::string& table, int64_t rowid, const Cells& changes) {
    auto held = m_held.find(table);
    if (held == m_held.end())
        return false;
    std::vector<int64_t>& ids = held->second.ids;
    auto at = std::lower_bound(ids.begin(), ids.end(), rowid);
    if (at == ids.end() || *at != rowid)
        return false;
    std::string& packedRow = held->second.rows[static_cast<size_t>(at - ids.begin())];
    std::vector<std::string_view> parts = packedParts(packedRow);
    std::string row;
    row.reserve(packedRow.size());
    for (size_t position = 0; position < parts.size(); ++position) {
        auto change = std::find_if(changes.begin(), changes.end(),
                                   [&](const auto& c) { return c.first == position; });
        if (change == changes.end())
            row.append(parts[position]);
        else
            appendPacked(row, change->second);
    }
    held->second.bytes += row.size() - packedRow.size();
    packedRow = std::move(row);
    return true;
}

int64_t Connection::insertRow(const std::string& table, const Cells& cells) {
    auto held = m_held.find(table);
    if (held == m_held.end())
        return runWrite(writeSql('I', table, cells), cells, std::nullopt);
    // A table created here has no defaults: unwritten columns are Null.
    std::vector<const StoredValue*> row(columns(table).size());
    for (const auto& cell : cells)
        row.at(cell.first) = &cell.second;
    int64_t id = held->second.nextRowid++;
    std::string packedRow = packed(row);
    held->second.bytes += packedRow.size();
    held->second.ids.push_back(id);
    held->second.rows.push_back(std::move(packedRow));
    // A large copy (a converted database) is written as it goes rather than held whole.
    constexpr size_t kMostHeldBytes = size_t{32} << 20;
    if (held->second.bytes > kMostHeldBytes)
        writeHeldRows();
    return id;
}

bool Connection::updateRow(const std::string& table, int64_t rowid, Cells changes) {
    if (updateHeldRow(table, rowid, changes))
        return true;
    if (changes.empty())
        return !queryIds("SELECT 1 FROM main." + quoteIdentifier(table) + " WHERE " +
                             rowidName(columns(table)) + " = ?1",
                         {rowid})
                    .empty();
    runWrite(writeSql('U', table, changes), changes, rowid);
    return sqlite3_changes(m_db.get()) != 0;
}

}  // namespace dalvon::sqlite

#include "store/tables/table_file.h"

#include <algorithm>

#include "store/packed_values.h"

namespace dalvon::tables {
namespace {

// Table names are unique without regard to ASCII case, as the stores compare them.
std::string asciiUpper(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return name;
}

}  // namespace

TableFile::TableFile(std::unique_ptr<Storage> storage, std::string displayPath,
                     faults::Wording wording)
    : m_storage(std::move(storage)), m_displayPath(std::move(displayPath)), m_wording(wording) {}

TableFile::~TableFile() {
    if (!m_storage)
        return;
    try {
        closeNow();
    } catch (const Fault&) {
        // Destroyed without a release (the owner is unwinding): nothing to report to.
    }
}

void TableFile::release() {
    if (--m_handles > 0 || !m_storage)
        return;
    closeNow();
}

void TableFile::closeNow() {
    std::unique_ptr<Storage> storage = std::move(m_storage);
    forgetSchema();
    // Whatever does not commit is dropped with the storage: the file keeps its last
    // committed state.
    storage->commit();
}

void TableFile::commit() {
    storage();
    forgetSchema();
    m_storage->commit();
}

Storage& TableFile::storage() const {
    if (!m_storage)
        throw faults::databaseClosed(m_displayPath);
    return *m_storage;
}

Storage& TableFile::writableStorage() const {
    if (m_writeRefusal)
        throw *m_writeRefusal;
    return storage();
}

std::vector<std::string> TableFile::tableNames() {
    return storage().tableNames();
}

std::optional<std::string> TableFile::findTable(const std::string& name) {
    if (!m_tables) {
        std::map<std::string, std::string> tables;
        for (const std::string& stored : tableNames())
            tables.emplace(asciiUpper(stored), stored);
        m_tables = std::move(tables);
    }
    auto found = m_tables->find(asciiUpper(name));
    if (found == m_tables->end())
        return std::nullopt;
    return found->second;
}

const std::vector<Column>& TableFile::columns(const std::string& table) {
    auto found = m_columns.find(table);
    if (found != m_columns.end())
        return found->second;
    return m_columns.emplace(table, storage().columns(table)).first->second;
}

void TableFile::forgetTable(const std::string& table) {
    std::string upper = asciiUpper(table);
    auto sameTable = [&](const auto& entry) { return asciiUpper(entry.first) == upper; };
    std::erase_if(m_columns, sameTable);
    std::erase_if(m_indexes, sameTable);
    m_plans.clear();
    m_tables.reset();
    ++m_writes;
}

void TableFile::forgetSchema() {
    m_tables.reset();
    m_columns.clear();
    m_indexes.clear();
    m_plans.clear();
    ++m_writes;
}

std::shared_ptr<const QueryPlan> TableFile::cachedPlan(const std::string& shape) const {
    auto found = m_plans.find(shape);
    return found == m_plans.end() ? nullptr : found->second;
}

void TableFile::cachePlan(std::string shape, std::shared_ptr<const QueryPlan> plan) {
    constexpr size_t kMaxPlans = 256;
    if (m_plans.size() >= kMaxPlans)
        m_plans.clear();
    m_plans.emplace(std::move(shape), std::move(plan));
}

KeyIndex& TableFile::indexFor(const std::string& table, const std::vector<size_t>& positions) {
    auto& indexes = m_indexes[table];
    for (const auto& index : indexes) {
        if (index->positions() == positions)
            return *index;
    }
    const std::vector<Column>& all = columns(table);
    std::vector<Column> keys;
    for (size_t position : positions)
        keys.push_back(all.at(position));
    auto index = std::make_unique<KeyIndex>(positions, keys);
    // One pass over the table; from here on the writes through this file keep it current.
    std::vector<StoredValue> values(keys.size());
    std::vector<const StoredValue*> pointers(keys.size());
    storage().scanFields(table, positions, [&](Storage::RowId id, const Storage::Row& row) {
        for (size_t i = 0; i < keys.size(); ++i) {
            values[i] = storedOf(row[i]);
            pointers[i] = &values[i];
        }
        index->add(id, pointers);
    });
    indexes.push_back(std::move(index));
    return *indexes.back();
}

std::vector<int64_t> TableFile::lookup(const std::string& table,
                                       const std::vector<size_t>& positions,
                                       const std::vector<StoredValue>& values) {
    const std::vector<Column>& all = columns(table);
    // A column compared twice matches only when both values are the same to a lookup.
    std::vector<size_t> distinct;
    std::vector<std::string> parts;
    for (size_t i = 0; i < positions.size(); ++i) {
        std::optional<std::string> part = KeyIndex::lookupPart(values[i], all.at(positions[i]));
        if (!part)
            return {};
        auto seen = std::find(distinct.begin(), distinct.end(), positions[i]);
        if (seen != distinct.end()) {
            if (parts[static_cast<size_t>(seen - distinct.begin())] != *part)
                return {};
            continue;
        }
        distinct.push_back(positions[i]);
        parts.push_back(std::move(*part));
    }
    std::string key;
    for (const std::string& part : parts)
        key += part;
    return indexFor(table, distinct).find(key);
}

int64_t TableFile::insertRow(const std::string& table, Cells cells) {
    const std::vector<Column>& all = columns(table);
    int64_t id = writableStorage().appendRow(table, cells);
    ++m_writes;
    auto indexes = m_indexes.find(table);
    if (indexes == m_indexes.end())
        return id;
    std::vector<const Variant*> row(all.size());
    for (const auto& cell : cells)
        row.at(cell.first) = &cell.second;
    std::optional<Storage::Row> stored;
    for (const auto& index : indexes->second) {
        std::vector<StoredValue> values;
        for (size_t position : index->positions()) {
            if (row[position] == nullptr) {
                // A field not written has the table's default: read what was stored.
                if (!stored)
                    stored = storage().readRow(table, id);
                values.push_back(stored ? storedOf(stored->at(position)) : StoredValue{});
            } else {
                values.push_back(storedOf(*row[position]));
            }
        }
        std::vector<const StoredValue*> key;
        for (const StoredValue& value : values)
            key.push_back(&value);
        index->add(id, key);
    }
    return id;
}

void TableFile::updateRow(const std::string& table, int64_t id, Cells changes,
                          const Storage::Row* before) {
    auto indexes = m_indexes.find(table);
    // A value known to be stored already is not written again.
    StoredValue stored;
    std::erase_if(changes, [&](const auto& change) {
        if (before != nullptr && change.first < before->size()) {
            return viewOfValue(storedOf((*before)[change.first])) ==
                   viewOfValue(storedOf(change.second));
        }
        if (indexes == m_indexes.end())
            return false;
        for (const auto& index : indexes->second) {
            std::optional<size_t> key = index->keyOf(change.first);
            if (key && index->storedValue(id, *key, stored))
                return viewOfValue(stored) == viewOfValue(storedOf(change.second));
        }
        return false;
    });
    if (changes.empty())
        return;
    bool found = false;
    try {
        found = writableStorage().updateRow(table, id, changes);
    } catch (const Fault&) {
        // Whether the row changed is not known: the indexes are built again when needed.
        m_indexes.erase(table);
        ++m_writes;
        throw;
    }
    ++m_writes;
    if (!found)
        throw faults::recordDeleted(table);
    indexChanges(table, id, changes);
}

void TableFile::indexChanges(const std::string& table, int64_t id, const Cells& changes) {
    auto indexes = m_indexes.find(table);
    if (indexes == m_indexes.end())
        return;
    for (const auto& index : indexes->second) {
        for (const auto& change : changes) {
            if (std::optional<size_t> key = index->keyOf(change.first))
                index->change(id, *key, storedOf(change.second));
        }
    }
}

}  // namespace dalvon::tables

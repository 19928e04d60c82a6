#include "platform/sqlite/sqlite_recordset.h"

#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/fault.h"
#include "platform/sql/sql_query.h"
#include "platform/sqlite/sqlite_connection.h"
#include "platform/text.h"

namespace dalvon::sqlite {
namespace {

// The same stored bytes: a double is compared by its bits, so -0.0 is not 0.0.
bool sameStored(const StoredValue& a, const StoredValue& b) {
    if (a.index() != b.index())
        return false;
    if (auto* x = std::get_if<double>(&a)) {
        double y = std::get<double>(b);
        return std::memcmp(x, &y, sizeof y) == 0;
    }
    return a == b;
}

class SqliteRecordset : public Recordset {
public:
    SqliteRecordset(std::shared_ptr<Connection> connection, RowSource source)
        : m_connection(std::move(connection)), m_source(std::move(source)) {
        std::string names;
        for (const Column& column : m_source.columns) {
            m_fields.push_back(column.def());
            names += (names.empty() ? "" : ", ") + quoteIdentifier(column.name);
        }
        // A run of consecutive ids is read in one go: a walk through the set reads each row once.
        m_rowSql = "SELECT " + m_source.rowid + ", " + names + " FROM main." +
                   quoteIdentifier(m_source.table) + " WHERE " + m_source.rowid +
                   " BETWEEN ?1 AND ?2 ORDER BY " + m_source.rowid;
        if (m_source.loadAtOnce)
            ids();
    }

    bool eof() const override { return m_position >= ids().size(); }

    void moveFirst() override { moveTo(0); }
    void moveLast() override { moveTo(ids().empty() ? 0 : ids().size() - 1); }
    void moveNext() override {
        if (eof())
            noCurrentRecord();
        moveTo(m_position + 1, true);
    }

    int32_t recordCount() const override { return static_cast<int32_t>(ids().size()); }

    int fieldCount() const override { return static_cast<int>(m_fields.size()); }
    const FieldDef& field(int index) const override { return m_fields.at(checked(index)); }
    int fieldIndex(const std::string& name) const override {
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (sql::sameName(m_fields[i].name, name))
                return static_cast<int>(i);
        }
        throw itemNotFound("'" + name + "'");
    }

    Variant value(int index) const override {
        size_t i = checked(index);
        if (m_mode != Mode::Browse)
            return m_buffer[i];
        return fromStored(currentRow()[i], m_source.columns[i]);
    }

    void setValue(int index, const Variant& value) override {
        size_t i = checked(index);
        if (m_mode == Mode::Browse)
            updateWithoutEdit();
        StoredValue stored = toStored(value, m_source.columns[i], m_source.table);
        m_buffer[i] = fromStored(stored, m_source.columns[i]);
        m_changes[i] = std::move(stored);
    }

    void addNew() override {
        requireOpen();
        startChange(Mode::Adding, std::vector<Variant>(m_fields.size(), Variant::null()));
    }

    void edit() override {
        const Row& row = currentRow();
        std::vector<Variant> values;
        values.reserve(row.size());
        for (size_t i = 0; i < row.size(); ++i)
            values.push_back(fromStored(row[i], m_source.columns[i]));
        startChange(Mode::Editing, std::move(values));
    }

    void update() override {
        requireOpen();
        if (m_mode == Mode::Browse)
            updateWithoutEdit();
        if (m_mode == Mode::Adding) {
            insertRow();
        } else {
            updateRow();
        }
        m_mode = Mode::Browse;
    }

    void close() override {
        m_closed = true;
        m_connection.reset();
    }

private:
    enum class Mode { Browse, Adding, Editing };

    const std::vector<int64_t>& ids() const {
        requireOpen();
        if (!m_ids) {
            m_ids = m_source.keyPositions.empty()
                        ? m_connection->queryIds(m_source.idsSql, m_source.params)
                        : m_connection->lookup(m_source.table, m_source.keyPositions,
                                               m_source.keyValues);
        }
        return *m_ids;
    }

    void moveTo(size_t position, bool pastEndAllowed = false) {
        if (ids().empty() && !pastEndAllowed)
            noCurrentRecord();
        // Moving away abandons an unfinished addNew or edit, as the classic engine does.
        m_mode = Mode::Browse;
        m_position = position;
    }

    // The stored values of the current row. Rows are read ahead in runs of consecutive ids and
    // kept until this connection writes anything.
    const Row& currentRow() const {
        if (eof())
            noCurrentRecord();
        int64_t id = (*m_ids)[m_position];
        if (m_readAt != m_connection->writeCount()) {
            m_read.clear();
            m_readAt = m_connection->writeCount();
        }
        auto found = m_read.find(id);
        if (found == m_read.end()) {
            readAhead();
            found = m_read.find(id);
            if (found == m_read.end()) {
                throw Fault(3167, "DAO.Recordset",
                            "Record is deleted. (table '" + m_source.table + "')");
            }
        }
        return found->second;
    }

    void readAhead() const {
        constexpr size_t kRun = 64;
        const std::vector<int64_t>& all = *m_ids;
        int64_t first = all[m_position];
        size_t length = 1;
        while (length < kRun && m_position + length < all.size() &&
               all[m_position + length] == first + static_cast<int64_t>(length)) {
            ++length;
        }
        m_read.clear();
        for (Row& row :
             m_connection->query(m_rowSql, {first, first + static_cast<int64_t>(length) - 1})) {
            int64_t id = std::get<int64_t>(row[0]);
            row.erase(row.begin());
            m_read.emplace(id, std::move(row));
        }
    }

    void startChange(Mode mode, std::vector<Variant> values) {
        m_mode = mode;
        m_buffer = std::move(values);
        m_changes.assign(m_fields.size(), std::nullopt);
    }

    void insertRow() {
        Connection::Cells cells;
        for (size_t i = 0; i < m_changes.size(); ++i) {
            if (m_changes[i])
                cells.emplace_back(m_source.positions[i], std::move(*m_changes[i]));
        }
        ids();  // the set is fixed before it grows by the new row
        m_ids->push_back(m_connection->insertRow(m_source.table, cells));
    }

    void updateRow() {
        const Row& row = currentRow();
        // Only values that differ from the stored ones are written; the row as it is stands
        // for the old values of the connection's indexes.
        Connection::Cells changes;
        std::vector<const StoredValue*> before(m_connection->columns(m_source.table).size());
        for (size_t i = 0; i < m_changes.size(); ++i) {
            before[m_source.positions[i]] = &row[i];
            if (m_changes[i] && !sameStored(*m_changes[i], row[i]))
                changes.emplace_back(m_source.positions[i], std::move(*m_changes[i]));
        }
        m_connection->updateRow(m_source.table, (*m_ids)[m_position], changes, before);
    }

    size_t checked(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= m_fields.size()) {
            throw itemNotFound("number " + std::to_string(index));
        }
        return static_cast<size_t>(index);
    }

    Fault itemNotFound(const std::string& what) const {
        return Fault(
            3265, "DAO.Fields",
            "Item not found in this collection. (field " + what + " of '" + m_source.table + "')");
    }

    [[noreturn]] void noCurrentRecord() const {
        throw Fault(3021, "DAO.Recordset", "No current record. (table '" + m_source.table + "')");
    }

    [[noreturn]] void updateWithoutEdit() const {
        throw Fault(
            3020, "DAO.Recordset",
            "Update or CancelUpdate without AddNew or Edit. (table '" + m_source.table + "')");
    }

    void requireOpen() const {
        if (m_closed || !m_connection || !m_connection->isOpen()) {
            throw Fault(3420, "DAO.Recordset",
                        "Object invalid or no longer set. (a closed record set on '" +
                            m_source.table + "')");
        }
    }

    std::shared_ptr<Connection> m_connection;
    RowSource m_source;
    std::vector<FieldDef> m_fields;
    std::string m_rowSql;
    mutable std::optional<std::vector<int64_t>> m_ids;
    size_t m_position = 0;
    mutable std::unordered_map<int64_t, Row> m_read;
    mutable uint64_t m_readAt = 0;
    Mode m_mode = Mode::Browse;
    std::vector<Variant> m_buffer;
    std::vector<std::optional<StoredValue>> m_changes;
    bool m_closed = false;
};

}  // namespace

std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<Connection> connection, RowSource source) {
    return std::make_unique<SqliteRecordset>(std::move(connection), std::move(source));
}

}  // namespace dalvon::sqlite

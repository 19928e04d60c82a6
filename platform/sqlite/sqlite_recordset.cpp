#include "platform/sqlite/sqlite_recordset.h"

#include <optional>
#include <utility>

#include "platform/fault.h"
#include "platform/sql/sql_query.h"
#include "platform/sqlite/sqlite_connection.h"
#include "platform/text.h"

namespace dalvon::sqlite {
namespace {

class SqliteRecordset : public Recordset {
public:
    SqliteRecordset(std::shared_ptr<Connection> connection, RowSource source)
        : m_connection(std::move(connection)), m_source(std::move(source)) {
        std::string names;
        for (const Column& column : m_source.columns) {
            m_fields.push_back(column.def());
            names += (names.empty() ? "" : ", ") + quoteIdentifier(column.name);
        }
        m_rowSql = "SELECT " + names + " FROM main." + quoteIdentifier(m_source.table) + " WHERE " +
                   m_source.rowid + " = ?1";
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
        return currentRow()[i];
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

    void edit() override { startChange(Mode::Editing, currentRow()); }

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
        m_row.reset();
    }

    void close() override {
        m_closed = true;
        m_connection.reset();
    }

private:
    enum class Mode { Browse, Adding, Editing };

    const std::vector<int64_t>& ids() const {
        requireOpen();
        if (!m_ids)
            m_ids = m_connection->queryIds(m_source.idsSql, m_source.params);
        return *m_ids;
    }

    void moveTo(size_t position, bool pastEndAllowed = false) {
        if (ids().empty() && !pastEndAllowed)
            noCurrentRecord();
        // Moving away abandons an unfinished addNew or edit, as the classic engine does.
        m_mode = Mode::Browse;
        m_position = position;
        m_row.reset();
    }

    const std::vector<Variant>& currentRow() const {
        if (eof())
            noCurrentRecord();
        if (!m_row) {
            auto rows = m_connection->query(m_rowSql, {(*m_ids)[m_position]});
            if (rows.empty()) {
                throw Fault(3167, "DAO.Recordset",
                            "Record is deleted. (table '" + m_source.table + "')");
            }
            std::vector<Variant> values;
            for (size_t i = 0; i < rows[0].size(); ++i) {
                values.push_back(fromStored(rows[0][i], m_source.columns[i]));
            }
            m_row = std::move(values);
        }
        return *m_row;
    }

    void startChange(Mode mode, std::vector<Variant> values) {
        m_mode = mode;
        m_buffer = std::move(values);
        m_changes.assign(m_fields.size(), std::nullopt);
    }

    void insertRow() {
        std::string names, marks;
        std::vector<StoredValue> params;
        for (size_t i = 0; i < m_changes.size(); ++i) {
            if (!m_changes[i])
                continue;
            names += (params.empty() ? "" : ", ") + quoteIdentifier(m_fields[i].name);
            params.push_back(*m_changes[i]);
            marks += (params.size() == 1 ? "?" : ", ?") + std::to_string(params.size());
        }
        std::string table = "main." + quoteIdentifier(m_source.table);
        std::string sql = params.empty()
                              ? "INSERT INTO " + table + " DEFAULT VALUES"
                              : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
        ids();  // the set is fixed before it grows by the new row
        m_ids->push_back(m_connection->execute(sql, params));
    }

    void updateRow() {
        std::string assignments;
        std::vector<StoredValue> params;
        for (size_t i = 0; i < m_changes.size(); ++i) {
            if (!m_changes[i])
                continue;
            params.push_back(*m_changes[i]);
            assignments += (params.size() == 1 ? "" : ", ") + quoteIdentifier(m_fields[i].name) +
                           " = ?" + std::to_string(params.size());
        }
        if (params.empty())
            return;
        params.emplace_back(std::in_place_type<int64_t>, (*m_ids)[m_position]);
        m_connection->execute("UPDATE main." + quoteIdentifier(m_source.table) + " SET " +
                                  assignments + " WHERE " + m_source.rowid + " = ?" +
                                  std::to_string(params.size()),
                              params);
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
    mutable std::optional<std::vector<Variant>> m_row;
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

#include "store/tables/table_recordset.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/text.h"
#include "store/faults.h"
#include "store/sql/sql_query.h"
#include "store/tables/table_file.h"

namespace dalvon::tables {
namespace {

class TableRecordset : public Recordset {
public:
    TableRecordset(std::shared_ptr<TableFile> file, RowSource source)
        : m_file(std::move(file)),
          m_source(std::move(source)),
          m_shape(*m_source.shape),
          m_fields(m_shape.fields) {
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
        // ASCII names (nearly all) are found by their upper case; the first of equal names wins.
        if (isAscii(name)) {
            auto found = m_shape.asciiFields.find(upperCase(name));
            if (found != m_shape.asciiFields.end())
                return found->second;
        }
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (sql::sameName(m_fields[i].name, name))
                return static_cast<int>(i);
        }
        throw itemNotFound("'" + name + "'");
    }

    Variant value(int index) const override {
        size_t i = checked(index);
        // A row being added or edited shows what was set; the rest is Null or as stored.
        if (m_mode != Mode::Browse && m_changes[i])
            return *m_changes[i];
        if (m_mode == Mode::Adding)
            return Variant::null();
        return currentRow()[m_shape.positions[i]];
    }

    void setValue(int index, const Variant& value) override {
        size_t i = checked(index);
        if (m_mode == Mode::Browse)
            updateWithoutEdit();
        m_changes[i] = toFieldValue(value, m_shape.columns[i], m_shape.table);
    }

    void addNew() override {
        requireOpen();
        startChange(Mode::Adding);
    }

    // The row is read only when one of its values is asked for: an edit that just sets values
    // writes them without reading first.
    void edit() override {
        if (eof())
            noCurrentRecord();
        startChange(Mode::Editing);
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
        m_file.reset();
    }

private:
    enum class Mode { Browse, Adding, Editing };

    const std::vector<int64_t>& ids() const {
        requireOpen();
        if (!m_ids)
            m_ids = rowIdsOf(*m_file, m_source);
        return *m_ids;
    }

    void moveTo(size_t position, bool pastEndAllowed = false) {
        if (ids().empty() && !pastEndAllowed)
            noCurrentRecord();
        // Moving away abandons an unfinished addNew or edit, as the classic engine does.
        m_mode = Mode::Browse;
        m_position = position;
    }

    // The values of the current row. Rows are read ahead in runs of neighbouring ids and kept
    // until the file is written.
    const Storage::Row& currentRow() const {
        if (eof())
            noCurrentRecord();
        int64_t id = (*m_ids)[m_position];
        if (m_readAt != m_file->writeCount()) {
            m_read.clear();
            m_readAt = m_file->writeCount();
        }
        const Storage::Row* row = readRow(id);
        if (row == nullptr) {
            readAhead();
            row = readRow(id);
            if (row == nullptr)
                throw faults::recordDeleted(m_shape.table);
        }
        return *row;
    }

    // A row read ahead, or nullptr.
    const Storage::Row* readRow(int64_t id) const {
        auto at = std::lower_bound(m_read.begin(), m_read.end(), id,
                                   [](const auto& read, int64_t key) { return read.first < key; });
        return at != m_read.end() && at->first == id ? &at->second : nullptr;
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
        m_read = m_file->storage().readRange(m_shape.table, first,
                                             first + static_cast<int64_t>(length) - 1);
    }

    void startChange(Mode mode) {
        m_mode = mode;
        m_changes.assign(m_fields.size(), std::nullopt);
    }

    // The values set since addNew or edit, by their column's position in the table.
    TableFile::Cells takeChanges() {
        TableFile::Cells cells;
        cells.reserve(m_changes.size());
        for (size_t i = 0; i < m_changes.size(); ++i) {
            if (m_changes[i])
                cells.emplace_back(m_shape.positions[i], std::move(*m_changes[i]));
        }
        return cells;
    }

    void insertRow() {
        ids();  // the set is fixed before it grows by the new row
        m_ids->push_back(m_file->insertRow(m_shape.table, takeChanges()));
    }

    void updateRow() {
        int64_t id = (*m_ids)[m_position];
        // A row already read tells which values are unchanged.
        const Storage::Row* before = m_readAt == m_file->writeCount() ? readRow(id) : nullptr;
        m_file->updateRow(m_shape.table, id, takeChanges(), before);
    }

    size_t checked(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= m_fields.size()) {
            throw itemNotFound("number " + std::to_string(index));
        }
        return static_cast<size_t>(index);
    }

    Fault itemNotFound(const std::string& what) const {
        return faults::fieldNotFound("field " + what + " of '" + m_shape.table + "'");
    }

    [[noreturn]] void noCurrentRecord() const { throw faults::noCurrentRecord(m_shape.table); }

    [[noreturn]] void updateWithoutEdit() const { throw faults::updateWithoutEdit(m_shape.table); }

    void requireOpen() const {
        if (m_closed || !m_file || !m_file->isOpen()) {
            throw faults::closedRecordset(m_shape.table);
        }
    }

    std::shared_ptr<TableFile> m_file;
    RowSource m_source;
    const RowShape& m_shape;
    const std::vector<FieldDef>& m_fields;
    mutable std::optional<std::vector<int64_t>> m_ids;
    size_t m_position = 0;
    mutable std::vector<std::pair<int64_t, Storage::Row>> m_read;  // ascending ids
    mutable uint64_t m_readAt = 0;
    Mode m_mode = Mode::Browse;
    std::vector<std::optional<Variant>> m_changes;
    bool m_closed = false;
};

}  // namespace

std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<TableFile> file, RowSource source) {
    return std::make_unique<TableRecordset>(std::move(file), std::move(source));
}

}  // namespace dalvon::tables

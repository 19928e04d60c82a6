#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "store/faults.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_file.h"
#include "store/jet/jet_row.h"
#include "store/jet/jet_table_def.h"
#include "store/jet/jet_usage_map.h"
#include "store/jet/jet_writer.h"
#include "store/storage.h"

namespace dalvon {
namespace {

// A row's id is where its slot lies: page number times 256 plus the row number on the page.
Storage::RowId rowIdOf(jet::RowPointer where) {
    return static_cast<Storage::RowId>(where.page) * 256 + where.row;
}

// The storage interface over a Jet file read into memory when it is opened. Reading serves
// Jet 3 and Jet 4 files. The first write opens the Jet 4 writer on the file (which refuses what
// it cannot write, changing nothing); from then on reads see the writer's image, and commit()
// puts the changes in place at once.
class JetStorage : public Storage {
public:
    JetStorage(jet::JetFile file, std::string hostPath)
        : m_file(std::move(file)),
          m_tables(jet::readUserTables(m_file)),
          m_hostPath(std::move(hostPath)) {}

    ~JetStorage() override {
        try {
            commit();
        } catch (const Fault&) {
            // A destructor cannot report: commit() first to see a failed commit.
        }
    }

    std::vector<std::string> tableNames() override {
        if (m_writer)
            return m_writer->tableNames();
        std::vector<std::string> names;
        for (const auto& table : m_tables)
            names.push_back(table.name);
        return names;
    }

    std::vector<tables::Column> columns(const std::string& table) override {
        std::vector<tables::Column> columns;
        if (m_writer) {
            requireTable(table);
            for (const FieldDef& field : m_writer->tableFields(table))
                columns.push_back(tables::columnOf(field));
            return columns;
        }
        for (const auto& column : definition(table).columns)
            columns.push_back(tables::columnOf(jet::fieldDefOf(m_file, column)));
        return columns;
    }

    void scan(const std::string& table,
              const std::function<void(RowId, const Row&)>& visit) override {
        if (m_writer) {
            requireTable(table);
            for (const auto& [id, row] : m_writer->rows(table))
                visit(id, row);
            return;
        }
        const jet::JetTableDef& def = definition(table);
        for (uint32_t number : jet::tableDataPages(m_file, def)) {
            jet::Bytes page = m_file.page(number);
            const uint16_t count = m_file.rowCount(page);
            if (count > 256)
                m_file.damaged("Page " + std::to_string(number) + " claims too many rows.");
            for (uint16_t slot = 0; slot < count; ++slot) {
                jet::RowPointer where{number, static_cast<uint8_t>(slot)};
                if (auto row = rowAt(def, where))
                    visit(rowIdOf(where), *row);
            }
        }
    }

    std::optional<Row> readRow(const std::string& table, RowId id) override {
        if (m_writer) {
            requireTable(table);
            if (id < 0 || id > UINT32_MAX)
                return std::nullopt;
            try {
                return m_writer->row(table, static_cast<uint32_t>(id));
            } catch (const Fault& fault) {
                if (fault.number() == kRecordDeleted)
                    return std::nullopt;
                throw;
            }
        }
        const jet::JetTableDef& def = definition(table);
        if (id < 0 || id / 256 >= m_file.pageCount())
            return std::nullopt;
        jet::RowPointer where{static_cast<uint32_t>(id / 256), static_cast<uint8_t>(id % 256)};
        jet::Bytes page = m_file.page(where.page);
        if (page[0] != 0x01 || jet::readU32(m_file, page, 4) != def.page ||
            where.row >= m_file.rowCount(page)) {
            return std::nullopt;
        }
        return rowAt(def, where);
    }

    RowId appendRow(const std::string& table, const Changes& values) override {
        jet::JetWriter& out = writer();
        requireTable(table);
        Row row(out.tableFields(table).size());
        for (const auto& [position, value] : values)
            row.at(position) = value;
        return out.appendRow(table, row);
    }

    bool updateRow(const std::string& table, RowId id, const Changes& changes) override {
        jet::JetWriter& out = writer();
        requireTable(table);
        if (id < 0 || id > UINT32_MAX)
            return false;
        try {
            out.updateRow(table, static_cast<uint32_t>(id), changes);
        } catch (const Fault& fault) {
            if (fault.number() == kRecordDeleted)
                return false;
            throw;
        }
        return true;
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields) override {
        m_writerTables.reset();
        writer().createTable(name, fields);
    }

    void deleteTable(const std::string& name) override {
        jet::JetWriter& out = writer();
        requireTable(name);
        m_writerTables.reset();
        out.deleteTable(name);
    }

    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName) override {
        jet::JetWriter& out = writer();
        requireTable(table);
        out.renameField(table, oldName, newName);
    }

    void commit() override {
        if (m_writer && m_writer->hasChanges())
            m_writer->commit();
    }

private:
    static constexpr int32_t kRecordDeleted = 3167;

    jet::JetWriter& writer() {
        if (!m_writer)
            m_writer = std::make_unique<jet::JetWriter>(m_hostPath, m_file.displayPath());
        return *m_writer;
    }

    // The writer matches names without regard to case as a last resort; the storage interface
    // names tables exactly.
    // The names are kept from one change of the table list to the next: rows are read one by one.
    void requireTable(const std::string& table) {
        if (!m_writerTables) {
            std::vector<std::string> names = m_writer->tableNames();
            m_writerTables.emplace(names.begin(), names.end());
        }
        if (m_writerTables->count(table) == 0)
            throw faults::inputTableNotFound(table, faults::Wording::Jet);
    }

    // Kept once read: the image read at opening does not change, and rows are read one by one.
    const jet::JetTableDef& definition(const std::string& table) const {
        if (auto known = m_definitions.find(table); known != m_definitions.end())
            return known->second;
        auto found = std::find_if(m_tables.begin(), m_tables.end(),
                                  [&](const jet::CatalogTable& t) { return t.name == table; });
        if (found == m_tables.end())
            throw faults::inputTableNotFound(table, faults::Wording::Jet);
        return m_definitions.emplace(table, jet::readTableDef(m_file, found->definitionPage, table))
            .first->second;
    }

    // The live row in a slot (a moved row is followed), or nothing for a deleted one.
    std::optional<Row> rowAt(const jet::JetTableDef& def, jet::RowPointer where) const {
        uint16_t flags = 0;
        jet::Bytes row = m_file.row(where, &flags);
        if (flags & 0x8000)
            return std::nullopt;
        if (flags & 0x4000)
            row = m_file.row(jet::readRowPointer(m_file, row, 0));
        return jet::decodeRow(m_file, def, row);
    }

    jet::JetFile m_file;
    std::vector<jet::CatalogTable> m_tables;
    mutable std::map<std::string, jet::JetTableDef> m_definitions;
    std::string m_hostPath;
    std::unique_ptr<jet::JetWriter> m_writer;
    std::optional<std::set<std::string>> m_writerTables;  // the writer's, by exact name
};

std::vector<uint8_t> readWholeFile(const std::string& hostPath, const std::string& displayPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!std::filesystem::is_regular_file(hostPath) || !in)
        throw faults::cannotOpenFile(displayPath, faults::Wording::Jet);
    return jet::readAll(in);
}

}  // namespace

std::unique_ptr<Storage> openJetStorage(const std::string& hostPath,
                                        const std::string& displayPath) {
    return std::make_unique<JetStorage>(
        jet::JetFile(readWholeFile(hostPath, displayPath), displayPath), hostPath);
}

}  // namespace dalvon

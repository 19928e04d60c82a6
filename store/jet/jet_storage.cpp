#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "platform/file_system.h"
#include "store/faults.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/format/jet_layout.h"
#include "store/jet/jet_index_defs.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/reader/jet_table_storage.h"
#include "store/jet/reader/jet_usage_map.h"
#include "store/jet/writer/jet_writer.h"
#include "store/storage.h"

namespace dalvon {
namespace {

// A row's id is where its slot lies: page number times 256 plus the row number on the page.
Storage::RowId rowIdOf(jet::RowPointer where) {
    return static_cast<Storage::RowId>(where.page) * 256 + where.row;
}

// The storage interface over a Jet file read into memory when it is opened (Jet 3 or Jet 4).
// Every read goes through one image of the file: the bytes read at the open, and after the
// first write the writer's image, which starts from those same bytes. The writer refuses what
// it cannot write, changing nothing; commit() puts its changes in place at once.
class JetStorage : public Storage {
public:
    JetStorage(FileSystem& files, std::string path, std::vector<uint8_t> bytes)
        : m_files(files), m_path(std::move(path)), m_read(std::move(bytes), m_path) {}

    ~JetStorage() override {
        try {
            commit();
        } catch (const Fault&) {
            // A destructor cannot report: commit() first to see a failed commit.
        }
    }

    std::vector<std::string> tableNames() override {
        std::vector<std::string> names;
        for (const auto& table : catalog())
            names.push_back(table.name);
        return names;
    }

    std::vector<Column> columns(const std::string& table) override {
        std::vector<Column> columns;
        for (const auto& column : definition(table).columns)
            columns.push_back(columnOf(jet::fieldDefOf(image(), column)));
        return columns;
    }

    void scan(const std::string& table,
              const std::function<void(RowId, const Row&)>& visit) override {
        const jet::JetTableDef& def = definition(table);
        jet::forEachLiveRow(image(), def, jet::ForeignPages::Damage,
                            [&](jet::RowPointer where, jet::Bytes row) {
                                visit(rowIdOf(where), jet::decodeRow(image(), def, row));
                            });
    }

    std::optional<Row> readRow(const std::string& table, RowId id) override {
        const jet::JetTableDef& def = definition(table);
        if (id < 0 || id / 256 >= image().pageCount())
            return std::nullopt;
        jet::RowPointer where{static_cast<uint32_t>(id / 256), static_cast<uint8_t>(id % 256)};
        jet::Bytes page = image().page(where.page);
        if (page[0] != jet::kDataPage || jet::readU32(image(), page, 4) != def.page ||
            where.row >= image().rowCount(page)) {
            return std::nullopt;
        }
        return rowAt(def, where);
    }

    RowId appendRow(const std::string& table, const Changes& values) override {
        jet::JetWriter& out = writer();
        Row row(definition(table).columns.size());
        for (const auto& [position, value] : values)
            row.at(position) = value;
        return out.appendRow(table, row);
    }

    bool updateRow(const std::string& table, RowId id, const Changes& changes) override {
        jet::JetWriter& out = writer();
        definition(table);
        if (!readRow(table, id))
            return false;
        out.updateRow(table, static_cast<uint32_t>(id), changes);
        return true;
    }

    std::vector<IndexDef> indexes(const std::string& table) override {
        const jet::JetTableDef& def = definition(table);
        return jet::indexDefsOf(def, jet::readTableStorage(image(), def.page, table));
    }

    void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override {
        jet::JetWriter& out = writer();
        forgetSchema();
        out.createTable(name, fields, jet::newIndexes(fields, indexes));
    }

    void deleteTable(const std::string& name) override {
        jet::JetWriter& out = writer();
        definition(name);
        forgetSchema();
        out.deleteTable(name);
    }

    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName) override {
        jet::JetWriter& out = writer();
        definition(table);
        forgetSchema();
        out.renameField(table, oldName, newName);
    }

    void commit() override {
        if (m_writer && m_writer->hasChanges())
            m_writer->commit();
    }

private:
    const jet::JetFile& image() const { return m_writer ? m_writer->file() : m_read; }

    jet::JetWriter& writer() {
        if (!m_writer) {
            const jet::Bytes held = m_read.image();
            m_writer = std::make_unique<jet::JetWriter>(
                m_files, m_path, std::vector<uint8_t>(held.begin(), held.end()));
        }
        return *m_writer;
    }

    const std::vector<jet::CatalogTable>& catalog() {
        if (!m_catalog)
            m_catalog = jet::readUserTables(image());
        return *m_catalog;
    }

    // The storage interface names tables exactly. Definitions are kept until the schema
    // changes: rows are read one by one.
    const jet::JetTableDef& definition(const std::string& table) {
        auto known = m_definitions.find(table);
        if (known != m_definitions.end())
            return known->second;
        const auto& tables = catalog();
        auto found = std::find_if(tables.begin(), tables.end(),
                                  [&](const jet::CatalogTable& t) { return t.name == table; });
        if (found == tables.end())
            throw faults::inputTableNotFound(table, faults::Wording::Jet);
        return m_definitions
            .emplace(table, jet::readTableDef(image(), found->definitionPage, table))
            .first->second;
    }

    void forgetSchema() {
        m_catalog.reset();
        m_definitions.clear();
    }

    std::optional<Row> rowAt(const jet::JetTableDef& def, jet::RowPointer where) const {
        if (std::optional<jet::Bytes> row = jet::liveRowAt(image(), where))
            return jet::decodeRow(image(), def, *row);
        return std::nullopt;
    }

    FileSystem& m_files;
    std::string m_path;
    jet::JetFile m_read;
    std::unique_ptr<jet::JetWriter> m_writer;
    std::optional<std::vector<jet::CatalogTable>> m_catalog;
    std::map<std::string, jet::JetTableDef> m_definitions;
};

}  // namespace

std::unique_ptr<Storage> openJetStorage(FileSystem& files, const std::string& path) {
    return std::make_unique<JetStorage>(files, path, jet::readJetFile(files, path));
}

}  // namespace dalvon

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/faults.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_file.h"
#include "store/jet/jet_row.h"
#include "store/jet/jet_table_def.h"
#include "store/jet/jet_usage_map.h"
#include "store/storage.h"

namespace dalvon {
namespace {

// A row's id is where its slot lies: page number times 256 plus the row number on the page.
Storage::RowId rowIdOf(jet::RowPointer where) {
    return static_cast<Storage::RowId>(where.page) * 256 + where.row;
}

// The read half of the storage interface over a Jet 3 or Jet 4 file read into memory when it
// is opened. Every write is refused (Fault 3027) and nothing is ever written to the file.
class JetStorage : public Storage {
public:
    explicit JetStorage(jet::JetFile file)
        : m_file(std::move(file)), m_tables(jet::readUserTables(m_file)) {}

    std::vector<std::string> tableNames() override {
        std::vector<std::string> names;
        for (const auto& table : m_tables)
            names.push_back(table.name);
        return names;
    }

    std::vector<FieldDef> fields(const std::string& table) override {
        std::vector<FieldDef> fields;
        for (const auto& column : definition(table).columns)
            fields.push_back(jet::fieldDefOf(m_file, column));
        return fields;
    }

    void scan(const std::string& table,
              const std::function<void(RowId, const Row&)>& visit) override {
        const jet::JetTableDef def = definition(table);
        for (uint32_t number :
             jet::usageMapPages(m_file, def.ownedPages, "table '" + table + "'")) {
            jet::Bytes page = m_file.page(number);
            if (page[0] != 0x01 || jet::readU32(m_file, page, 4) != def.page)
                continue;
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
        const jet::JetTableDef def = definition(table);
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

    RowId appendRow(const std::string&, const Row&) override { refuse(); }
    bool updateRow(const std::string&, RowId, const Changes&) override { refuse(); }
    void createTable(const std::string&, const std::vector<FieldDef>&) override { refuse(); }
    void deleteTable(const std::string&) override { refuse(); }
    void renameField(const std::string&, const std::string&, const std::string&) override {
        refuse();
    }
    // Nothing is ever written, so there is nothing to commit.
    void commit() override {}

private:
    [[noreturn]] void refuse() const { throw faults::writingNotSupported(m_file.displayPath()); }

    jet::JetTableDef definition(const std::string& table) const {
        auto found = std::find_if(m_tables.begin(), m_tables.end(),
                                  [&](const jet::CatalogTable& t) { return t.name == table; });
        if (found == m_tables.end())
            throw faults::inputTableNotFound(table, faults::Wording::Jet);
        return jet::readTableDef(m_file, found->definitionPage, table);
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
};

std::vector<uint8_t> readWholeFile(const std::string& hostPath, const std::string& displayPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!std::filesystem::is_regular_file(hostPath) || !in)
        throw faults::cannotOpenFile(displayPath, faults::Wording::Jet);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::unique_ptr<Storage> openJetStorage(const std::string& hostPath,
                                        const std::string& displayPath) {
    return std::make_unique<JetStorage>(
        jet::JetFile(readWholeFile(hostPath, displayPath), displayPath));
}

}  // namespace dalvon

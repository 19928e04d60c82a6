#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/text.h"
#include "store/database.h"
#include "store/faults.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_file.h"
#include "store/jet/jet_query.h"
#include "store/jet/jet_row.h"
#include "store/jet/jet_table_def.h"
#include "store/sql/sql_query.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

using jet::ResultSet;

Fault readOnly(const std::string& path) {
    return faults::writingNotSupported(path);
}

// A read-only record set over rows read into memory when it was opened.
class JetRecordset : public Recordset {
public:
    JetRecordset(ResultSet rows, std::string path)
        : m_set(std::move(rows)), m_path(std::move(path)) {}

    bool eof() const override { return m_current >= m_set.rows.size(); }
    void moveFirst() override {
        requireRows();
        m_current = 0;
    }
    void moveNext() override {
        if (eof())
            throw noCurrentRecord();
        ++m_current;
    }
    void moveLast() override {
        requireRows();
        m_current = m_set.rows.size() - 1;
    }
    int32_t recordCount() const override { return static_cast<int32_t>(m_set.rows.size()); }

    int fieldCount() const override { return static_cast<int>(m_set.fields.size()); }
    const FieldDef& field(int index) const override {
        if (index < 0 || index >= fieldCount())
            throw itemNotFound(std::to_string(index));
        return m_set.fields[static_cast<size_t>(index)];
    }
    int fieldIndex(const std::string& name) const override {
        for (size_t i = 0; i < m_set.fields.size(); ++i) {
            if (equalsIgnoreCase(m_set.fields[i].name, name))
                return static_cast<int>(i);
        }
        throw itemNotFound(name);
    }

    Variant value(int index) const override {
        field(index);
        if (eof())
            throw noCurrentRecord();
        return m_set.rows[m_current][static_cast<size_t>(index)];
    }
    void setValue(int, const Variant&) override { throw readOnly(m_path); }
    void addNew() override { throw readOnly(m_path); }
    void edit() override { throw readOnly(m_path); }
    void update() override { throw faults::updateWithoutEdit(); }
    void close() override { m_set = {}; }

private:
    void requireRows() const {
        if (m_set.rows.empty())
            throw noCurrentRecord();
    }
    static Fault noCurrentRecord() { return faults::noCurrentRecord(); }
    static Fault itemNotFound(const std::string& name) { return faults::fieldNotFound(name); }

    ResultSet m_set;
    std::string m_path;
    size_t m_current = 0;
};

class JetDatabase : public Database {
public:
    explicit JetDatabase(std::shared_ptr<const jet::JetFile> file)
        : m_file(std::move(file)), m_tables(jet::readUserTables(*m_file)) {}

    void close() override { m_file.reset(); }

    std::vector<std::string> tableNames() override {
        requireOpen();
        std::vector<std::string> names;
        for (const auto& table : m_tables)
            names.push_back(table.name);
        return names;
    }
    std::vector<FieldDef> tableFields(const std::string& name) override {
        const auto* table = find(name);
        if (!table)
            throw faults::tableDefNotFound(name);
        return fieldsOf(jet::readTableDef(*m_file, table->definitionPage, name));
    }
    void deleteTable(const std::string&) override { throw readOnly(path()); }
    void createTable(const std::string&, const std::vector<FieldDef>&) override {
        throw readOnly(path());
    }
    void renameField(const std::string&, const std::string&, const std::string&) override {
        throw readOnly(path());
    }

    std::unique_ptr<Recordset> openTable(const std::string& name) override {
        return std::make_unique<JetRecordset>(readTable(name), path());
    }
    std::unique_ptr<Recordset> openQuery(const std::string& sqlText) override {
        requireOpen();
        const sql::Query query = sql::parse(sqlText);
        ResultSet result = jet::runQuery(query, sqlText, readTable(query.table));
        return std::make_unique<JetRecordset>(std::move(result), path());
    }

private:
    void requireOpen() const {
        if (!m_file)
            throw faults::closedDatabase(faults::Wording::Jet);
    }
    const std::string& path() const {
        requireOpen();
        return m_file->displayPath();
    }
    const jet::CatalogTable* find(const std::string& name) const {
        requireOpen();
        for (const auto& table : m_tables) {
            if (table.name == name)
                return &table;
        }
        return nullptr;
    }
    std::vector<FieldDef> fieldsOf(const jet::JetTableDef& def) const {
        std::vector<FieldDef> fields;
        for (const auto& column : def.columns)
            fields.push_back(jet::fieldDefOf(*m_file, column));
        return fields;
    }
    ResultSet readTable(const std::string& name) const {
        const auto* table = find(name);
        if (!table) {
            throw faults::inputTableNotFound(name, faults::Wording::Jet);
        }
        const jet::JetTableDef def = jet::readTableDef(*m_file, table->definitionPage, name);
        return ResultSet{fieldsOf(def), jet::readTableRows(*m_file, def)};
    }

    std::shared_ptr<const jet::JetFile> m_file;
    std::vector<jet::CatalogTable> m_tables;
};

class JetBackend : public StoreBackend {
public:
    bool recognises(std::string_view header) const override {
        return jet::JetFile::recognises(header);
    }
    std::unique_ptr<Database> open(const std::string& hostPath,
                                   const std::string& displayPath) override {
        std::ifstream in(hostPath, std::ios::binary);
        if (!std::filesystem::is_regular_file(hostPath) || !in) {
            throw faults::cannotOpenFile(displayPath, faults::Wording::Jet);
        }
        in.seekg(0, std::ios::end);
        std::vector<uint8_t> bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(in.gcount()));
        auto file = std::make_shared<const jet::JetFile>(std::move(bytes), displayPath);
        return std::make_unique<JetDatabase>(std::move(file));
    }
    // Nothing is ever written to a Jet file.
    void flushAll() override {}
};

}  // namespace

std::unique_ptr<StoreBackend> makeJetBackend() {
    return std::make_unique<JetBackend>();
}

}  // namespace dalvon

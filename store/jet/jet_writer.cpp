#include "store/jet/jet_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/posix_files.h"
#include "platform/temp_copy.h"
#include "platform/text.h"
#include "store/faults.h"
#include "store/jet/jet_catalog_writer.h"
#include "store/jet/jet_data_page.h"
#include "store/jet/jet_definition.h"
#include "store/jet/jet_map_writer.h"
#include "store/jet/jet_table_writer.h"
#include "store/jet/jet_value_codec.h"

namespace dalvon::jet {
namespace {

constexpr size_t kPageSize = 4096;
constexpr size_t kVersionOffset = 0x14;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw faults::readOnlyDatabase(" ('" + path + "': " + why + ")");
}

std::vector<uint8_t> readWhole(const std::string& host, const std::string& display) {
    std::ifstream in(host, std::ios::binary);
    if (!std::filesystem::is_regular_file(host) || !in) {
        throw faults::cannotOpenFile(display, faults::Wording::Jet);
    }
    return readAll(in);
}

void checkWritable(const std::vector<uint8_t>& bytes, const std::string& display) {
    const std::string_view header(reinterpret_cast<const char*>(bytes.data()),
                                  std::min<size_t>(bytes.size(), 128));
    if (!JetFile::recognises(header))
        refuse(display, "it is no Jet database");
    if (bytes[kVersionOffset] != 1)
        refuse(display, "Jet 3 files are read, not written");
    if (bytes.size() % kPageSize != 0)
        refuse(display, "its size is not a whole number of pages");
}

uint32_t idOf(RowPointer place) {
    return place.page << 8 | place.row;
}

RowPointer placeOf(uint32_t id) {
    return {id >> 8, static_cast<uint8_t>(id & 0xFF)};
}

// The pages holding map rows of one table only (as the pages of tables this program created do);
// pages shared with other tables' maps stay.
std::vector<uint32_t> onlyMapPages(const JetFile& file, const std::vector<RowPointer>& maps) {
    std::set<uint32_t> candidates;
    for (RowPointer map : maps) {
        if (map.page != 0)
            candidates.insert(map.page);
    }
    std::vector<uint32_t> pages;
    for (uint32_t page : candidates) {
        Bytes bytes = file.page(page);
        bool mine = bytes[0] == 0x01 && datapage::owner(bytes.data()) == 0;
        for (uint16_t slot = 0; mine && slot < file.rowCount(bytes); ++slot) {
            const RowPointer row{page, static_cast<uint8_t>(slot)};
            mine = (datapage::flags(bytes.data(), slot) & datapage::kDeleted) ||
                   std::find(maps.begin(), maps.end(), row) != maps.end();
        }
        if (mine)
            pages.push_back(page);
    }
    return pages;
}

// The pages holding a new table's usage maps, all inline and empty: owned pages, pages with
// free space, then two for each long-value field. Many long-value fields fill more than a page.
std::vector<RowPointer> newMapRows(PageSpace& space, uint32_t definitionPage,
                                   const std::vector<FieldDef>& fields) {
    size_t count = 2;
    for (const auto& field : fields)
        count += isLongValueType(field.type) ? 2 : 0;
    std::vector<RowPointer> maps;
    uint32_t mapPage = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto row = emptyInlineMap(definitionPage);
        if (mapPage == 0 || !datapage::fits(space.write(mapPage), row.size())) {
            mapPage = space.allocate();
            datapage::initialise(space.write(mapPage), 0);
        }
        maps.push_back({mapPage, datapage::append(space.write(mapPage), row)});
    }
    return maps;
}

Fault tableNotFound(const std::string& name, int number) {
    if (number == 3078)
        return faults::inputTableNotFound(name, faults::Wording::Jet);
    return faults::tableDefNotFound(name);
}

}  // namespace

JetWriter::JetWriter(std::string hostPath, std::string displayPath)
    : m_host(std::move(hostPath)), m_display(std::move(displayPath)) {
    // A commit killed midway leaves its copy beside the file; the next writer clears it.
    posix::removeLeftoversOf(m_host);
    checkNotLocked();
    // Commits put a new file in place of this one, which the folder alone would allow: a file
    // this user may not write must refuse the write itself, as the classic engine does.
    if (!posix::mayWrite(m_host))
        refuse(m_display, "Permission denied");
    std::vector<uint8_t> bytes = readWhole(m_host, m_display);
    checkWritable(bytes, m_display);
    try {
        m_file = std::make_unique<JetFile>(std::move(bytes), m_display);
    } catch (const Fault& fault) {
        refuse(m_display, fault.description());
    }
    m_space = std::make_unique<PageSpace>(*m_file);
}

JetWriter::~JetWriter() = default;

std::string lockFileBeside(const std::string& hostPath) {
    std::filesystem::path lock(hostPath);
    for (const char* extension : {".ldb", ".LDB"}) {
        lock.replace_extension(extension);
        if (std::filesystem::exists(lock))
            return lock.string();
    }
    return {};
}

void JetWriter::checkNotLocked() const {
    if (!lockFileBeside(m_host).empty())
        throw faults::fileInUse(m_display);
}

template <typename Work>
auto JetWriter::change(Work&& work) {
    m_space->begin();
    try {
        return work();
    } catch (...) {
        m_space->rollback();
        m_writers.clear();
        m_tables.reset();
        throw;
    }
}

const CatalogTable* JetWriter::findTable(const std::string& name) {
    if (!m_tables)
        m_tables = readUserTables(*m_file);
    for (const auto& table : *m_tables) {
        if (table.name == name)
            return &table;
    }
    for (const auto& table : *m_tables) {
        if (equalsIgnoreCase(table.name, name))
            return &table;
    }
    return nullptr;
}

const CatalogTable& JetWriter::requireTable(const std::string& name, int faultNumber) {
    const CatalogTable* table = findTable(name);
    if (!table)
        throw tableNotFound(name, faultNumber);
    return *table;
}

TableWriter& JetWriter::tableWriter(const CatalogTable& table) {
    auto& writer = m_writers[table.definitionPage];
    if (!writer)
        writer = std::make_unique<TableWriter>(*m_space, table.definitionPage, table.name);
    return *writer;
}

std::vector<std::string> JetWriter::tableNames() {
    findTable({});
    std::vector<std::string> names;
    for (const auto& table : *m_tables)
        names.push_back(table.name);
    return names;
}

std::vector<FieldDef> JetWriter::tableFields(const std::string& name) {
    std::vector<FieldDef> fields;
    for (const auto& column : tableWriter(requireTable(name, 3265)).def().columns)
        fields.push_back(fieldDefOf(*m_file, column));
    return fields;
}

std::vector<std::pair<uint32_t, Row>> JetWriter::rows(const std::string& name) {
    std::vector<std::pair<uint32_t, Row>> rows;
    for (auto& [place, row] : tableWriter(requireTable(name, 3078)).scan())
        rows.emplace_back(idOf(place), std::move(row));
    return rows;
}

Row JetWriter::row(const std::string& name, uint32_t id) {
    return tableWriter(requireTable(name, 3078)).read(placeOf(id));
}

void JetWriter::createTable(const std::string& name, const std::vector<FieldDef>& fields) {
    if (findTable(name))
        throw faults::tableExists(name);
    checkFieldName(name);
    if (fields.empty())
        throw faults::noFieldDefined({});
    change([&] {
        const uint32_t definitionPage = m_space->allocate();
        const auto maps = newMapRows(*m_space, definitionPage, fields);
        Definition definition{buildDefinition(fields, maps), {definitionPage}};
        storeDefinition(*m_space, definition);
        CatalogWriter(*m_space).addTable(name, definitionPage);
        m_tables.reset();
    });
}

void JetWriter::deleteTable(const std::string& name) {
    const CatalogTable table = requireTable(name, 3265);
    change([&] {
        TableWriter& writer = tableWriter(table);
        std::vector<uint32_t> pages = writer.ownedPages();
        for (uint32_t page : onlyMapPages(*m_file, writer.mapRows()))
            pages.push_back(page);
        const Definition definition = loadDefinition(*m_file, table.definitionPage);
        CatalogWriter(*m_space).removeTable(table.name, table.definitionPage);
        m_writers.erase(table.definitionPage);
        for (uint32_t page : pages)
            m_space->release(page);
        for (uint32_t page : definition.pages)
            m_space->release(page);
        m_tables.reset();
    });
}

void JetWriter::renameField(const std::string& tableName, const std::string& oldName,
                            const std::string& newName) {
    const CatalogTable& table = requireTable(tableName, 3265);
    checkFieldName(newName);
    change([&] {
        std::optional<JetColumn> renamed;
        for (const auto& column : tableWriter(table).def().columns) {
            if (equalsIgnoreCase(column.name, newName) && !equalsIgnoreCase(oldName, newName))
                throw faults::fieldDefinedTwice(newName);
            if (equalsIgnoreCase(column.name, oldName))
                renamed = column;
        }
        if (!renamed)
            throw faults::fieldNotFound(oldName);
        Definition definition = loadDefinition(*m_file, table.definitionPage);
        replaceColumnName(*m_file, definition, renamed->number, newName);
        storeDefinition(*m_space, definition);
        m_writers.erase(table.definitionPage);
        CatalogWriter(*m_space).renameColumnProperties(table.definitionPage, renamed->name,
                                                       newName);
    });
}

uint32_t JetWriter::appendRow(const std::string& name, const std::vector<Variant>& values) {
    const CatalogTable& table = requireTable(name, 3078);
    return change([&] {
        TableWriter& writer = tableWriter(table);
        if (!writer.parts().indexes.empty())
            refuse(m_display, "table '" + table.name +
                                  "' has indexes, which this program "
                                  "does not maintain");
        return idOf(writer.append(values));
    });
}

void JetWriter::updateRow(const std::string& name, uint32_t id,
                          const std::vector<std::pair<size_t, Variant>>& changes) {
    const CatalogTable& table = requireTable(name, 3078);
    change([&] {
        TableWriter& writer = tableWriter(table);
        for (const auto& index : writer.parts().indexes) {
            for (const auto& [position, value] : changes) {
                if (position < writer.def().columns.size() &&
                    std::count(index.columns.begin(), index.columns.end(),
                               writer.def().columns[position].number) > 0)
                    refuse(m_display, "field '" + writer.def().columns[position].name +
                                          "' is indexed, and this program does not maintain "
                                          "indexes");
            }
        }
        writer.update(placeOf(id), changes);
    });
}

bool JetWriter::hasChanges() const {
    return !m_space->dirtyPages().empty();
}

void JetWriter::commit() {
    if (!hasChanges())
        return;
    checkNotLocked();
    TempCopy copy(m_host, m_display);
    for (uint32_t page : m_space->dirtyPages()) {
        if (page < m_file->pageCount())
            copy.write(uint64_t{page} * kPageSize, m_file->page(page));
    }
    copy.resize(uint64_t{m_file->pageCount()} * kPageSize);
    copy.commit();
    m_space->markClean();
}

}  // namespace dalvon::jet

#include "store/jet/writer/jet_writer.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <set>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "store/faults.h"
#include "store/jet/format/jet_value_codec.h"
#include "store/jet/writer/jet_catalog_writer.h"
#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_definition.h"
#include "store/jet/writer/jet_index_definition.h"
#include "store/jet/writer/jet_index_writer.h"
#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/writer/jet_table_writer.h"

namespace dalvon::jet {
namespace {

constexpr size_t kVersionOffset = 0x14;

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw faults::readOnlyDatabase(" ('" + path + "': " + why + ")");
}

// The folder part of a Windows path.
std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
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

std::vector<uint8_t> readJetFile(FileSystem& files, const std::string& path) {
    std::optional<std::string> bytes;
    try {
        bytes = files.readFile(path);
    } catch (const Fault&) {
    }
    if (!bytes)
        throw faults::cannotOpenFile(path, faults::Wording::Jet);
    return {bytes->begin(), bytes->end()};
}

JetWriter::JetWriter(FileSystem& files, std::string path)
    : JetWriter(files, std::move(path), std::nullopt) {}

JetWriter::JetWriter(FileSystem& files, std::string path, std::optional<std::vector<uint8_t>> held)
    : m_files(files), m_path(std::move(path)) {
    load(std::move(held));
}

JetWriter::JetWriter(const std::string& hostPath)
    : m_ownFiles(makeHostFileSystem()),
      m_files(*m_ownFiles),
      m_path(m_files.windowsPath(hostPath)) {
    load(std::nullopt);
}

void JetWriter::load(std::optional<std::vector<uint8_t>> held) {
    // A commit killed midway leaves its copy beside the file; the next writer clears it.
    m_files.removeLeftovers(folderOf(m_path));
    checkNotLocked();
    // Commits put a new file in place of this one, which the folder alone would allow: a file
    // this user may not write must refuse the write itself, as the classic engine does.
    std::optional<FileInfo> info = m_files.fileInfo(m_path);
    if (info && !info->writable)
        refuse(m_path, "Permission denied");
    std::vector<uint8_t> bytes = held ? std::move(*held) : readJetFile(m_files, m_path);
    checkWritable(bytes, m_path);
    try {
        m_file = std::make_unique<JetFile>(std::move(bytes), m_path);
    } catch (const Fault& fault) {
        refuse(m_path, fault.description());
    }
    m_space = std::make_unique<PageSpace>(*m_file);
}

JetWriter::~JetWriter() = default;

std::string lockFileBeside(FileSystem& files, const std::string& path) {
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('\\');
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                           ? path.substr(0, dot)
                           : path;
    // Names are found without regard to case: "x.LDB" is the lock of "x.mdb" too.
    std::string lock = stem + ".ldb";
    return files.fileExists(lock) ? lock : std::string();
}

void JetWriter::checkNotLocked() const {
    if (!lockFileBeside(m_files, m_path).empty())
        throw faults::fileInUse(m_path);
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

void JetWriter::createTable(const std::string& name, const std::vector<FieldDef>& fields,
                            const std::vector<NewIndex>& indexes) {
    if (findTable(name))
        throw faults::tableExists(name);
    checkFieldName(name);
    if (fields.empty())
        throw faults::noFieldDefined({});
    change([&] {
        const uint32_t definitionPage = m_space->allocate();
        const auto maps = newMapRows(*m_space, definitionPage, fields);
        Definition definition{buildDefinition(fields, maps), {definitionPage}};
        addIndexes(*m_space, definitionPage, definition.bytes, name, fields, indexes);
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
        const RowPointer place = writer.append(values);
        IndexWriter indexes(*m_space, writer.def());
        if (!indexes.empty()) {
            const Row row = writer.read(place);
            indexes.checkUnique(row, place);
            indexes.add(row, place);
        }
        return idOf(place);
    });
}

void JetWriter::updateRow(const std::string& name, uint32_t id,
                          const std::vector<std::pair<size_t, Variant>>& changes) {
    const CatalogTable& table = requireTable(name, 3078);
    change([&] {
        TableWriter& writer = tableWriter(table);
        const RowPointer place = placeOf(id);
        IndexWriter indexes(*m_space, writer.def());
        if (indexes.empty()) {
            writer.update(place, changes);
            return;
        }
        const Row before = writer.read(place);
        writer.update(place, changes);
        const Row after = writer.read(place);
        indexes.checkUnique(after, place);
        indexes.change(before, after, place);
    });
}

void JetWriter::deleteRow(const std::string& name, uint32_t id) {
    const CatalogTable& table = requireTable(name, 3078);
    change([&] {
        TableWriter& writer = tableWriter(table);
        const RowPointer place = placeOf(id);
        IndexWriter(*m_space, writer.def()).remove(writer.read(place), place);
        writer.remove(place);
    });
}

bool JetWriter::hasChanges() const {
    return !m_space->dirtyPages().empty();
}

void JetWriter::commit() {
    if (!hasChanges())
        return;
    checkNotLocked();
    // The whole image goes to a new file put in place of the old one: the file on disk is the
    // old one or the new one at every moment.
    const Bytes image = m_file->image();
    m_files.writeFileAtomic(m_path, std::string(image.begin(), image.end()));
    m_space->markClean();
}

}  // namespace dalvon::jet

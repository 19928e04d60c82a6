#include "store/jet/writer/jet_create.h"
#include "store/jet/format/jet_layout.h"

#include <cstring>
#include <memory>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/faults.h"
#include "store/jet/format/jet_catalog_ids.h"
#include "store/jet/writer/jet_catalog_writer.h"
#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_definition.h"
#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/writer/jet_system_tables.h"
#include "store/jet/writer/jet_table_writer.h"

namespace dalvon::jet {
namespace {

constexpr uint32_t kMapsPage = 6;
constexpr uint32_t kFirstRootPage = 7;
constexpr size_t kMaskStart = 0x18;
constexpr size_t kMaskLength = 128;
constexpr size_t kPasswordStart = 0x42;
constexpr size_t kPasswordLength = 40;

// The security ids the classic engine's default workgroup gives a new database: the engine
// itself, the Admin user, the Admins and Users groups, and the creating user.
const std::vector<uint8_t> kEngineSid = {0xA7, 0x31};
const std::vector<uint8_t> kAdminSid = {0xA6, 0x33};
const std::vector<uint8_t> kAdminsSid = {0xA7, 0x33};
const std::vector<uint8_t> kUsersSid = {0xA7, 0x36};
const std::vector<uint8_t> kCreatorSid = {
    0xA4, 0xF7, 0x46, 0x67, 0xE1, 0x71, 0x67, 0xEE, 0xD7, 0xB1, 0x0F, 0x8F, 0xFE, 0xEF, 0x76,
    0xFF, 0xAA, 0xE3, 0x66, 0x51, 0x05, 0xBD, 0xD2, 0x9D, 0x4D, 0x4B, 0x39, 0x52, 0xD9, 0xFB,
    0x9A, 0x07, 0x66, 0x0C, 0x5B, 0xD2, 0xD8, 0x7D, 0xDD, 0xB3, 0x1E, 0x65, 0x90, 0x19};

struct Ace {
    int32_t object;
    const std::vector<uint8_t>* sid;
    int32_t rights;
    bool inheritable;
};

// The access rights of the engine's own objects, as a new database carries them.
const std::vector<Ace>& systemAces() {
    static const std::vector<Ace> kAces = {
        {kTablesId, &kUsersSid, 983294, true},
        {kTablesId, &kAdminSid, 1048319, true},
        {kTablesId, &kCreatorSid, 1048319, true},
        {kTablesId, &kAdminsSid, 1048319, true},
        {kDatabasesId, &kAdminSid, 393216, false},
        {kRelationshipsId, &kUsersSid, 983294, true},
        {kRelationshipsId, &kAdminSid, 393217, false},
        {kRelationshipsId, &kCreatorSid, 1048575, true},
        {kRelationshipsId, &kAdminsSid, 1048575, true},
        {kDatabaseObjectId, &kAdminSid, 393230, false},
        {kDatabaseObjectId, &kAdminsSid, 14, false},
        {kDatabaseObjectId, &kCreatorSid, 393230, false},
        {2, &kAdminSid, 393216, false},
        {2, &kCreatorSid, 393300, false},
        {2, &kAdminsSid, 20, false},
        {3, &kAdminSid, 393216, false},
        {3, &kCreatorSid, 393300, false},
        {4, &kAdminSid, 393216, false},
        {4, &kCreatorSid, 393236, false},
        {4, &kAdminsSid, 20, false},
        {5, &kAdminSid, 917504, false},
        {5, &kCreatorSid, 393236, false},
        {5, &kAdminsSid, 20, false},
    };
    return kAces;
}

// Page 0: signature, version 1 (Jet 4), code page 1252, no page encoding, an empty password
// (stored XOR the creation day), the General sort order and the creation date, masked.
void writeHeader(uint8_t* page, double created) {
    page[1] = 0x01;
    std::memcpy(page + 4, "Standard Jet DB", 15);
    page[0x14] = 0x01;
    put16(page + 0x3C, 1252);
    const auto day = static_cast<uint32_t>(static_cast<int32_t>(created));
    for (size_t at = 0; at < kPasswordLength; at += 4)
        put32(page + kPasswordStart + at, day);
    put16(page + 0x6E, 0x0409);
    std::memcpy(page + 0x72, &created, 8);
    const uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    const auto mask = rc4Keystream(key, kMaskLength);
    for (size_t i = 0; i < kMaskLength; ++i)
        page[kMaskStart + i] ^= mask[i];
}

// Page 1: the global usage map (a set bit marks a free page) over the first 512 pages, and the
// second, empty map row the classic engine keeps beside it.
void writeGlobalMap(uint8_t* page, uint32_t usedPages) {
    datapage::initialise(page, 1);
    std::vector<uint8_t> map = emptyInlineMap(0);
    for (uint32_t p = usedPages; p < 512; ++p)
        map[5 + p / 8] |= static_cast<uint8_t>(1 << (p % 8));
    datapage::append(page, map);
    datapage::append(page, std::vector<uint8_t>(kMapRowLength, 0));
}

uint32_t firstFreePage() {
    uint32_t page = kFirstRootPage;
    for (const auto& table : systemTables())
        page += static_cast<uint32_t>(table.indexes.size());
    return page;
}

RowPointer addMap(PageSpace& space, uint32_t start) {
    uint8_t* page = space.write(kMapsPage);
    return {kMapsPage, datapage::append(page, emptyInlineMap(start))};
}

// A system table's definition, usage maps (all rows of page 6) and empty index roots.
void layOut(PageSpace& space, const SystemTable& table, uint32_t& nextRoot) {
    std::vector<RowPointer> maps = {addMap(space, 0), addMap(space, 0)};
    for (const auto& f : table.fields) {
        if (isLongValueType(f.type)) {
            maps.push_back(addMap(space, 0));
            maps.push_back(addMap(space, 0));
        }
    }
    std::vector<uint32_t> roots;
    for (size_t i = 0; i < table.indexes.size(); ++i) {
        const uint32_t root = nextRoot++;
        uint8_t* page = space.write(root);
        page[0] = 0x04;
        page[1] = 0x01;
        put32(page + 4, table.definitionPage);
        writeLeafEntries(space, root, {});
        maps.push_back(addMap(space, root & ~7u));
        setMapPage(space, maps.back(), root, true);
        roots.push_back(root);
    }
    Definition def{buildSystemDefinition(table, maps, roots), {table.definitionPage}};
    storeDefinition(space, def);
}

std::vector<Variant> objectRow(const TableWriter& objects, int32_t id, int32_t parent,
                               const std::string& name, int16_t type,
                               const std::vector<uint8_t>& owner, double created) {
    std::vector<Variant> values(objects.def().columns.size(), Variant::null());
    auto set = [&](const char* column, Variant value) {
        values[static_cast<size_t>(objects.columnIndex(column))] = std::move(value);
    };
    set("Id", Variant::longValue(id));
    set("ParentId", Variant::longValue(parent));
    set("Name", Variant::string(name));
    set("Type", Variant::integer(type));
    set("DateCreate", Variant::date(created));
    set("DateUpdate", Variant::date(created));
    set("Owner", Variant::binary(owner));
    set("Flags", Variant::longValue(kSystemObject));
    return values;
}

void addCatalogRows(PageSpace& space, double created) {
    TableWriter objects(space, 2, "MSysObjects");
    auto add = [&](int32_t id, int32_t parent, const char* name, int16_t type,
                   const std::vector<uint8_t>& owner) {
        addIndexedRow(space, objects, objectRow(objects, id, parent, name, type, owner, created));
    };
    add(kTablesId, kContainersParent, "Tables", kContainerType, kEngineSid);
    add(kDatabasesId, kContainersParent, "Databases", kContainerType, kEngineSid);
    add(kRelationshipsId, kContainersParent, "Relationships", kContainerType, kEngineSid);
    add(kDatabaseObjectId, kDatabasesId, "MSysDb", kDatabaseType, kAdminSid);
    for (const auto& table : systemTables()) {
        add(static_cast<int32_t>(table.definitionPage), kTablesId, table.name.c_str(), kTableType,
            kEngineSid);
    }
    TableWriter aces(space, 3, "MSysACEs");
    for (const Ace& ace : systemAces()) {
        addIndexedRow(space, aces,
                      {Variant::longValue(ace.object), Variant::binary(*ace.sid),
                       Variant::longValue(ace.rights), Variant::boolean(ace.inheritable)});
    }
}

[[noreturn]] void exists(const std::string& displayPath) {
    throw faults::databaseExists(displayPath);
}

}  // namespace

void createDatabase(FileSystem& files, const std::string& path) {
    const std::string& displayPath = path;
    if (files.fileExists(path))
        exists(displayPath);
    const double created = oleNow();
    const uint32_t used = firstFreePage();
    std::vector<uint8_t> bytes(size_t{used} * kPageSize, 0);
    writeHeader(bytes.data(), created);
    writeGlobalMap(bytes.data() + kPageSize, used);
    datapage::initialise(bytes.data() + size_t{kMapsPage} * kPageSize, 0);
    JetFile file(std::move(bytes), displayPath);
    PageSpace space(file);
    uint32_t nextRoot = kFirstRootPage;
    for (const auto& table : systemTables())
        layOut(space, table, nextRoot);
    addCatalogRows(space, created);
    const Bytes image = file.image();
    try {
        files.writeFileAtomic(path, std::string(image.begin(), image.end()));
    } catch (const Fault& fault) {
        throw faults::pathAccess(path, fault.description());
    }
}

void createDatabase(const std::string& hostPath) {
    std::unique_ptr<FileSystem> files = makeHostFileSystem();
    createDatabase(*files, files->windowsPath(hostPath));
}

}  // namespace dalvon::jet

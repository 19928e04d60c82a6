#include "store/jet/writer/jet_catalog_writer.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "platform/c_library.h"
#include "store/faults.h"
#include "store/jet/format/jet_catalog_ids.h"
#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/writer/jet_index_writer.h"
#include "store/jet/reader/jet_properties.h"
#include "store/jet/writer/jet_table_writer.h"

namespace dalvon::jet {
namespace {

constexpr int32_t kFullAccess = 1048575;

[[noreturn]] void refuse(const std::string& why) {
    throw faults::readOnlyDatabase(" (" + why + ")");
}

int column(const TableWriter& table, const std::string& name) {
    const int index = table.columnIndex(name);
    if (index < 0)
        refuse("The catalog table " + table.def().name + " has no column " + name + ".");
    return index;
}

int32_t longOf(const Variant& value) {
    return value.isNull() || value.isEmpty() ? 0 : value.toLong();
}

std::string textOf(const Variant& value) {
    return value.isString() ? value.asString() : std::string();
}

void removeIndexedRow(PageSpace& space, TableWriter& table, RowPointer place) {
    IndexWriter(space, table.def()).remove(table.read(place), place);
    table.remove(place);
}

struct CatalogFacts {
    int32_t tablesId = 0;
    uint32_t acesPage = 0;
    uint32_t relationshipsPage = 0;
    Variant owner = Variant::null();
};

CatalogFacts factsOf(const TableWriter& objects) {
    const size_t id = column(objects, "Id"), parent = column(objects, "ParentId");
    const size_t name = column(objects, "Name"), type = column(objects, "Type");
    const size_t owner = column(objects, "Owner");
    CatalogFacts facts;
    const auto rows = objects.scan();
    for (const auto& [place, row] : rows) {
        if (longOf(row[parent]) == kContainersParent && textOf(row[name]) == "Tables")
            facts.tablesId = longOf(row[id]);
    }
    for (const auto& [place, row] : rows) {
        const std::string text = textOf(row[name]);
        if (text == "MSysDb")
            facts.owner = row[owner];
        if (longOf(row[type]) == kTableType && longOf(row[parent]) == facts.tablesId) {
            if (text == "MSysACEs")
                facts.acesPage = static_cast<uint32_t>(longOf(row[id]));
            if (text == "MSysRelationships")
                facts.relationshipsPage = static_cast<uint32_t>(longOf(row[id]));
        }
    }
    if (facts.tablesId == 0 || facts.acesPage == 0)
        refuse("The catalog lacks the Tables container or MSysACEs.");
    return facts;
}

// The classic engine's catalog sorts names in the General order of 1033, version 0; its keys
// are the only ones this program writes.
void checkSortOrder(const TableWriter& objects) {
    const JetColumn& name = objects.def().columns[column(objects, "Name")];
    const auto order = objects.parts().sortOrders.find(name.number);
    if (order == objects.parts().sortOrders.end() || (order->second & 0xFFFF) != 0x0409 ||
        (order->second >> 24) != 0)
        refuse("The catalog sorts names in an order this program does not write.");
}

}  // namespace

double oleNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::tm local = localTime(now);
    const auto days = std::chrono::sys_days{std::chrono::year{local.tm_year + 1900} /
                                            (local.tm_mon + 1) / local.tm_mday} -
                      std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};
    return days.count() + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

void addIndexedRow(PageSpace& space, TableWriter& table, const std::vector<Variant>& values) {
    const RowPointer place = table.append(values);
    const Row stored = table.read(place);
    IndexWriter indexes(space, table.def());
    indexes.checkUnique(stored, place);
    indexes.add(stored, place);
}

CatalogWriter::CatalogWriter(PageSpace& space) : m_space(space) {}

void CatalogWriter::addTable(const std::string& name, uint32_t definitionPage) {
    if (!textKeyKnows(name))
        textKey(name);  // throws the refusal
    TableWriter objects(m_space, kCatalogPage, "MSysObjects");
    checkSortOrder(objects);
    const CatalogFacts facts = factsOf(objects);
    std::vector<Variant> values(objects.def().columns.size(), Variant::null());
    const double now = oleNow();
    values[column(objects, "Id")] = Variant::longValue(static_cast<int32_t>(definitionPage));
    values[column(objects, "ParentId")] = Variant::longValue(facts.tablesId);
    values[column(objects, "Name")] = Variant::string(name);
    values[column(objects, "Type")] = Variant::integer(kTableType);
    values[column(objects, "DateCreate")] = Variant::date(now);
    values[column(objects, "DateUpdate")] = Variant::date(now);
    values[column(objects, "Owner")] = facts.owner;
    values[column(objects, "Flags")] = Variant::longValue(0);
    addIndexedRow(m_space, objects, values);

    TableWriter aces(m_space, facts.acesPage, "MSysACEs");
    const size_t objectId = column(aces, "ObjectId"), sid = column(aces, "SID");
    const size_t acm = column(aces, "ACM"), inheritable = column(aces, "FInheritable");
    for (const auto& [place, row] : aces.scan()) {
        if (longOf(row[objectId]) != facts.tablesId)
            continue;
        std::vector<Variant> ace(aces.def().columns.size(), Variant::null());
        ace[objectId] = Variant::longValue(static_cast<int32_t>(definitionPage));
        ace[sid] = row[sid];
        ace[acm] = Variant::longValue(kFullAccess);
        ace[inheritable] = Variant::boolean(false);
        addIndexedRow(m_space, aces, ace);
    }
}

void CatalogWriter::removeTable(const std::string& name, uint32_t definitionPage) {
    TableWriter objects(m_space, kCatalogPage, "MSysObjects");
    const CatalogFacts facts = factsOf(objects);
    if (facts.relationshipsPage != 0) {
        TableWriter relations(m_space, facts.relationshipsPage, "MSysRelationships");
        const int from = relations.columnIndex("szObject");
        const int to = relations.columnIndex("szReferencedObject");
        for (const auto& [place, row] : relations.scan()) {
            if ((from >= 0 && textOf(row[from]) == name) || (to >= 0 && textOf(row[to]) == name))
                refuse("A relationship names table '" + name + "'.");
        }
    }
    const size_t id = column(objects, "Id");
    for (const auto& [place, row] : objects.scan()) {
        if (longOf(row[id]) == static_cast<int32_t>(definitionPage))
            removeIndexedRow(m_space, objects, place);
    }
    TableWriter aces(m_space, facts.acesPage, "MSysACEs");
    const size_t objectId = column(aces, "ObjectId");
    for (const auto& [place, row] : aces.scan()) {
        if (longOf(row[objectId]) == static_cast<int32_t>(definitionPage))
            removeIndexedRow(m_space, aces, place);
    }
}

void CatalogWriter::renameColumnProperties(uint32_t definitionPage, const std::string& oldName,
                                           const std::string& newName) {
    TableWriter objects(m_space, kCatalogPage, "MSysObjects");
    const int properties = objects.columnIndex("LvProp");
    if (properties < 0)
        return;
    const size_t id = column(objects, "Id");
    const size_t updated = column(objects, "DateUpdate");
    for (const auto& [place, row] : objects.scan()) {
        if (longOf(row[id]) != static_cast<int32_t>(definitionPage))
            continue;
        // A change of design is the change the classic engine stamps on the catalog row.
        std::vector<std::pair<size_t, Variant>> changes = {{updated, Variant::date(oleNow())}};
        const Variant& blob = row[static_cast<size_t>(properties)];
        if (!blob.isNull()) {
            if (auto renamed = renamePropertySet(blob.asBinary(), oldName, newName))
                changes.emplace_back(static_cast<size_t>(properties),
                                     Variant::binary(std::move(*renamed)));
        }
        objects.update(place, changes);
    }
}

}  // namespace dalvon::jet

#include "store/jet/writer/jet_table_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/fault.h"
#include "store/faults.h"
#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/format/jet_row_codec.h"
#include "store/jet/reader/jet_usage_map.h"

namespace dalvon::jet {
namespace {

constexpr size_t kLongValueHeader = 12;
constexpr uint16_t kAutoNumberFlag = 0x04;
constexpr size_t kMinRowLength = 4;

uint32_t pointerValue(RowPointer at) {
    return at.page << 8 | at.row;
}

bool isLongValue(const JetColumn& column) {
    return column.type == kMemo || column.type == kOle;
}

[[noreturn]] void recordTooLarge(const std::string& table) {
    throw faults::recordTooLarge(table);
}

[[noreturn]] void recordDeleted() {
    throw faults::recordDeleted({});
}

}  // namespace

TableWriter::TableWriter(PageSpace& space, uint32_t definitionPage, const std::string& name)
    : m_space(space), m_def(readTableDef(space.file(), definitionPage, name)) {
    const Definition definition = loadDefinition(space.file(), definitionPage);
    m_parts = parseDefinition(space.file(), definition.bytes);
    m_rows = {definitionPage, m_def.ownedPages, m_def.freePages};
    for (const auto& [column, maps] : m_parts.longValueMaps)
        m_longValues[column] = {datapage::kLongValueOwner, maps.owned, maps.free};
}

int TableWriter::columnIndex(const std::string& name) const {
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        if (m_def.columns[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::pair<RowPointer, Row>> TableWriter::scan() const {
    const JetFile& file = m_space.file();
    std::vector<std::pair<RowPointer, Row>> rows;
    forEachLiveRow(file, m_def, ForeignPages::Damage, [&](RowPointer place, Bytes row) {
        rows.emplace_back(place, decodeRow(file, m_def, row));
    });
    return rows;
}

void TableWriter::checkPlace(RowPointer place) const {
    const JetFile& file = m_space.file();
    if (place.page >= file.pageCount())
        recordDeleted();
    Bytes page = file.page(place.page);
    uint16_t flags = 0;
    if (page[0] != 0x01 || datapage::owner(page.data()) != m_def.page ||
        place.row >= file.rowCount(page))
        recordDeleted();
    file.row(place, &flags);
    if (flags & datapage::kDeleted)
        recordDeleted();
}

RowPointer TableWriter::currentPlace(RowPointer place) const {
    checkPlace(place);
    uint16_t flags = 0;
    Bytes row = m_space.file().row(place, &flags);
    return (flags & datapage::kMoved) ? readRowPointer(m_space.file(), row, 0) : place;
}

Row TableWriter::read(RowPointer place) const {
    return decodeRow(m_space.file(), m_def, m_space.file().row(currentPlace(place)));
}

StoredValue TableWriter::storeValue(size_t index, const Variant& value, bool inlineAllowed) {
    const JetColumn& column = m_def.columns[index];
    if (column.type == kBoolean)
        return {!value.isNull() && !value.isEmpty() && value.toBoolean(), {}};
    if (value.isNull() || value.isEmpty())
        return {};
    std::vector<uint8_t> bytes = encodeValue(column, value);
    if (isLongValue(column)) {
        if (!inlineAllowed && !m_longValues.contains(column.number)) {
            throw faults::readOnlyDatabase(" (Column '" + column.name +
                                           "' has no long-value page map.)");
        }
        bytes = writeLongValue(m_space, m_longValues[column.number], bytes, inlineAllowed);
    }
    return {true, std::move(bytes)};
}

// Long values go inline when they have at most 64 bytes, unless the row would then be too
// long; the row's length is known before any long value is written.
std::vector<StoredValue> TableWriter::storeValues(const std::vector<Variant>& values) {
    std::vector<StoredValue> sized(m_def.columns.size());
    std::vector<std::vector<uint8_t>> encoded(m_def.columns.size());
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const Variant& value = values[i];
        if (m_def.columns[i].type == kBoolean || value.isNull() || value.isEmpty())
            continue;
        // A long value is sized by its header below; any other value goes into the row as is.
        if (isLongValue(m_def.columns[i])) {
            encoded[i] = encodeValue(m_def.columns[i], value);
            sized[i] = {true, {}};
        } else {
            sized[i] = {true, encodeValue(m_def.columns[i], value)};
        }
    }
    auto withHeaders = [&](bool inlineSmall) {
        for (size_t i = 0; i < sized.size(); ++i) {
            if (sized[i].present && isLongValue(m_def.columns[i])) {
                const bool inl = inlineSmall && encoded[i].size() <= 64;
                sized[i].bytes.assign(kLongValueHeader + (inl ? encoded[i].size() : 0), 0);
            }
        }
        return assembleRow(m_def, sized).size();
    };
    bool inlineAllowed = true;
    if (withHeaders(true) > kMaxRowLength) {
        inlineAllowed = false;
        if (withHeaders(false) > kMaxRowLength)
            recordTooLarge(m_def.name);
    }
    std::vector<StoredValue> stored;
    stored.reserve(m_def.columns.size());
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        if (sized[i].present && !isLongValue(m_def.columns[i]))
            stored.push_back(std::move(sized[i]));
        else
            stored.push_back(storeValue(i, values[i], inlineAllowed));
    }
    return stored;
}

void TableWriter::addToHeader(size_t offset, int64_t delta) {
    uint8_t* page = m_space.write(m_def.page);
    uint32_t value = 0;
    std::memcpy(&value, page + offset, 4);
    value = static_cast<uint32_t>(static_cast<int64_t>(value) + delta);
    std::memcpy(page + offset, &value, 4);
}

// An AutoNumber column left Null gets the next number; a given number above the last one
// handed out becomes the last one.
void TableWriter::raiseAutoNumber(const std::vector<Variant>& values,
                                  std::vector<Variant>& filled) {
    filled = values;
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const JetColumn& column = m_def.columns[i];
        if (column.type != kLong || !(column.flags & kAutoNumberFlag))
            continue;
        const uint32_t last = readU32(m_space.file(), m_space.read(m_def.page), kAutoNumberOffset);
        if (values[i].isNull() || values[i].isEmpty()) {
            filled[i] = Variant::longValue(static_cast<int32_t>(last + 1));
            addToHeader(kAutoNumberOffset, 1);
        } else if (const int32_t given = values[i].toLong(); given > static_cast<int32_t>(last)) {
            addToHeader(kAutoNumberOffset, static_cast<int64_t>(given) - last);
        }
    }
}

RowPointer TableWriter::append(const std::vector<Variant>& values) {
    if (values.size() != m_def.columns.size())
        throw faults::invalidCall("row of " + std::to_string(values.size()) +
                                  " values for table '" + m_def.name + "'");
    std::vector<Variant> filled;
    raiseAutoNumber(values, filled);
    const std::vector<uint8_t> row = assembleRow(m_def, storeValues(filled), kMinRowLength);
    const RowPointer place = placeRow(m_space, m_rows, row);
    addToHeader(kRowCountOffset, 1);
    return place;
}

void TableWriter::dropLongValue(const JetColumn& column, const StoredValue& old) {
    if (!isLongValue(column) || !old.present)
        return;
    for (RowPointer piece : longValueRows(m_space.file(), old.bytes))
        datapage::setFlags(m_space.write(piece.page), piece.row, datapage::kRemoved);
}

void TableWriter::update(RowPointer place, const std::vector<std::pair<size_t, Variant>>& changes) {
    const RowPointer current = currentPlace(place);
    std::vector<StoredValue> stored = splitRow(m_space.file(), m_def, m_space.file().row(current));
    for (const auto& [column, value] : changes) {
        if (column >= stored.size())
            throw faults::subscript("column " + std::to_string(column) + " of table '" +
                                    m_def.name + "'");
        dropLongValue(m_def.columns[column], stored[column]);
        stored[column] = storeValue(column, value, true);
    }
    std::vector<uint8_t> row = assembleRow(m_def, stored);
    if (row.size() > kMaxRowLength)
        recordTooLarge(m_def.name);
    const auto [start, end] = datapage::extent(m_space.read(current.page).data(), current.row);
    if (row.size() <= end - start) {
        row = assembleRow(m_def, stored, end - start);
        std::memcpy(m_space.write(current.page) + start, row.data(), row.size());
        return;
    }
    // The moved copy is flagged deleted so that scans see the row once, at its first slot; an
    // earlier copy is dropped.
    const RowPointer moved = placeRow(m_space, m_rows, row, datapage::kDeleted);
    if (current != place)
        datapage::setFlags(m_space.write(current.page), current.row, datapage::kRemoved);
    const auto [headStart, headEnd] = datapage::extent(m_space.read(place.page).data(), place.row);
    if (headEnd - headStart < 4)
        recordTooLarge(m_def.name);
    uint8_t* head = m_space.write(place.page);
    std::memset(head + headStart, 0, headEnd - headStart);
    const uint32_t pointer = pointerValue(moved);
    std::memcpy(head + headStart, &pointer, 4);
    datapage::setFlags(head, place.row, datapage::kMoved);
}

void TableWriter::remove(RowPointer place) {
    const RowPointer current = currentPlace(place);
    if (current != place)
        datapage::setFlags(m_space.write(current.page), current.row, datapage::kRemoved);
    datapage::setFlags(m_space.write(place.page), place.row, datapage::kRemoved);
    addToHeader(kRowCountOffset, -1);
}

std::vector<RowPointer> TableWriter::mapRows() const {
    std::vector<RowPointer> maps{m_def.ownedPages, m_def.freePages};
    for (const auto& [column, lv] : m_parts.longValueMaps) {
        maps.push_back(lv.owned);
        maps.push_back(lv.free);
    }
    for (const auto& index : m_parts.indexes)
        maps.push_back(index.map);
    return maps;
}

std::vector<uint32_t> TableWriter::ownedPages() const {
    const JetFile& file = m_space.file();
    std::vector<uint32_t> pages;
    for (RowPointer map : mapRows()) {
        if (map.page == 0)
            continue;
        for (uint32_t page : usageMapPages(file, map, "table '" + m_def.name + "'"))
            pages.push_back(page);
        for (uint32_t page : mapBitmapPages(file, map))
            pages.push_back(page);
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

}  // namespace dalvon::jet

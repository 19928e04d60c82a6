#include "store/jet/reader/jet_row.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "store/jet/format/jet_layout.h"
#include "store/jet/format/jet_text.h"
#include "store/jet/reader/jet_usage_map.h"

namespace dalvon::jet {
namespace {

// Where one stored row keeps its parts.
struct RowLayout {
    size_t fixedStart = 0;   // first byte of the fixed area
    size_t columnCount = 0;  // columns the null mask covers
    Bytes nullMask;
    std::vector<size_t> varOffsets;  // one per stored variable column, then the end offset
    size_t dataEnd = 0;              // where the trailer (offset table, count, mask) begins
};

size_t checkedBefore(const JetFile& file, size_t end, size_t bytes) {
    if (bytes > end)
        file.damaged("A row is too short for its own offset table.");
    return end - bytes;
}

void readJet4Offsets(const JetFile& file, Bytes row, RowLayout& layout) {
    const size_t countAt = checkedBefore(file, row.size() - layout.nullMask.size(), 2);
    const uint16_t count = readU16(file, row, countAt);
    for (size_t i = 0; i <= count; ++i) {
        layout.varOffsets.push_back(readU16(file, row, checkedBefore(file, countAt, 2 * (i + 1))));
    }
    layout.dataEnd = checkedBefore(file, countAt, 2 * (size_t{count} + 1));
}

// Jet 3 offsets are one byte; a jump table names the columns from which 256 more is added.
void readJet3Offsets(const JetFile& file, Bytes row, RowLayout& layout) {
    const size_t countAt = checkedBefore(file, row.size() - layout.nullMask.size(), 1);
    const uint8_t count = readU8(file, row, countAt);
    size_t jumps = (row.size() - 1) / 256;
    const size_t firstOffsetAt = checkedBefore(file, countAt, jumps + 1);
    if (jumps > 0 && (firstOffsetAt < count || (firstOffsetAt - count) / 256 < jumps))
        --jumps;
    size_t jumpsUsed = 0;
    for (size_t i = 0; i <= count; ++i) {
        while (jumpsUsed < jumps && i == readU8(file, row, countAt - jumpsUsed - 1))
            ++jumpsUsed;
        const size_t at = checkedBefore(file, firstOffsetAt, i);
        layout.varOffsets.push_back(readU8(file, row, at) + jumpsUsed * 256);
    }
    layout.dataEnd = checkedBefore(file, firstOffsetAt, count);
}

RowLayout readLayout(const JetFile& file, const JetTableDef& table, Bytes row) {
    RowLayout layout;
    layout.fixedStart = file.isJet4() ? 2 : 1;
    layout.columnCount = file.isJet4() ? readU16(file, row, 0) : readU8(file, row, 0);
    const size_t maskLength = (layout.columnCount + 7) / 8;
    layout.nullMask = readRange(file, row, checkedBefore(file, row.size(), maskLength), maskLength);
    layout.dataEnd = row.size() - maskLength;
    if (table.varColumns > 0) {
        if (file.isJet4()) {
            readJet4Offsets(file, row, layout);
        } else {
            readJet3Offsets(file, row, layout);
        }
    }
    if (layout.dataEnd < layout.fixedStart)
        file.damaged("A row is shorter than its header.");
    return layout;
}

template <typename T>
T readLittle(Bytes bytes) {
    T value;
    uint8_t buffer[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        buffer[i] = bytes[i];
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(buffer, buffer + sizeof(T));
    std::memcpy(&value, buffer, sizeof(T));
    return value;
}

Variant decimalValue(const JetFile& file, Bytes bytes, uint8_t scale) {
    long double magnitude = 0;
    for (size_t word = 0; word < 4; ++word) {
        magnitude = magnitude * 4294967296.0L + readU32(file, bytes, 1 + word * 4);
    }
    const long double value = magnitude / std::pow(10.0L, scale);
    return Variant::doubleValue(static_cast<double>(bytes[0] != 0 ? -value : value));
}

Variant textValue(const JetFile& file, Bytes bytes) {
    return Variant::string(file.isJet4() ? decodeJet4Text(bytes)
                                         : decodeCodePageText(bytes, file.codePage()));
}

Variant longValue(const JetFile& file, const JetColumn& column, Bytes header) {
    if (header.empty())
        return column.type == kMemo ? Variant::string({}) : Variant::binary({});
    std::vector<uint8_t> data = readLongValue(file, header);
    if (column.type == kMemo)
        return textValue(file, data);
    return Variant::binary(std::move(data));
}

Variant valueOf(const JetFile& file, const JetColumn& column, Bytes bytes) {
    switch (column.type) {
        case kByte:
            return Variant::byte(bytes[0]);
        case kInteger:
            return Variant::integer(readLittle<int16_t>(bytes));
        case kLong:
            return Variant::longValue(readLittle<int32_t>(bytes));
        case kCurrency:
            return Variant::currency(readLittle<int64_t>(bytes));
        case kSingle:
            return Variant::single(readLittle<float>(bytes));
        case kDouble:
            return Variant::doubleValue(readLittle<double>(bytes));
        case kDateTime:
            return Variant::date(readLittle<double>(bytes));
        case kGuid:
            return Variant::string(formatGuid(bytes));
        case kDecimal:
            return decimalValue(file, bytes, column.scale);
        case kText:
            return textValue(file, bytes);
        case kMemo:
        case kOle:
            return longValue(file, column, bytes);
        default:
            return Variant::binary({bytes.begin(), bytes.end()});
    }
}

Variant columnValue(const JetFile& file, const JetColumn& column, Bytes row,
                    const RowLayout& layout) {
    const bool covered = column.number < layout.columnCount;
    const bool present = covered && (layout.nullMask[column.number / 8] >> column.number % 8 & 1);
    if (column.type == kBoolean)
        return Variant::boolean(present);
    if (!present)
        return Variant::null();
    if (column.fixed) {
        const size_t start = layout.fixedStart + column.fixedOffset;
        const size_t fixedEnd =
            layout.varOffsets.size() > 1 ? layout.varOffsets[0] : layout.dataEnd;
        if (start + fixedWidth(column) > std::min(fixedEnd, layout.dataEnd))
            return Variant::null();
        return valueOf(file, column, row.subspan(start, fixedWidth(column)));
    }
    if (size_t{column.varIndex} + 1 >= layout.varOffsets.size())
        return Variant::null();
    const size_t start = layout.varOffsets[column.varIndex];
    const size_t end = layout.varOffsets[column.varIndex + 1];
    if (start < layout.fixedStart || start > end || end > layout.dataEnd) {
        file.damaged("A value of column '" + column.name + "' lies outside its row.");
    }
    return valueOf(file, column, row.subspan(start, end - start));
}

}  // namespace

Row decodeRow(const JetFile& file, const JetTableDef& table, Bytes row) {
    const RowLayout layout = readLayout(file, table, row);
    Row values;
    values.reserve(table.columns.size());
    for (const auto& column : table.columns)
        values.push_back(columnValue(file, column, row, layout));
    return values;
}

std::vector<uint32_t> tableDataPages(const JetFile& file, const JetTableDef& table,
                                     ForeignPages foreign) {
    std::vector<uint32_t> pages;
    for (uint32_t number : usageMapPages(file, table.ownedPages, "table '" + table.name + "'")) {
        Bytes page = file.page(number);
        if (page[0] == kDataPage && readU32(file, page, 4) == table.page)
            pages.push_back(number);
        else if (foreign == ForeignPages::Damage)
            file.corrupt("Page " + std::to_string(number) + " of table '" + table.name +
                         "' is no data page of that table.");
    }
    return pages;
}

std::optional<Bytes> liveRowAt(const JetFile& file, RowPointer where) {
    uint16_t flags = 0;
    Bytes row = file.row(where, &flags);
    if (flags & kRowDeleted)
        return std::nullopt;
    if (flags & kRowMoved)
        return file.row(readRowPointer(file, row, 0));
    return row;
}

void forEachLiveRow(const JetFile& file, const JetTableDef& table, ForeignPages foreign,
                    const std::function<void(RowPointer, Bytes)>& visit) {
    for (uint32_t number : tableDataPages(file, table, foreign)) {
        const uint16_t count = file.rowCount(file.page(number));
        if (count > 256)
            file.damaged("Page " + std::to_string(number) + " claims too many rows.");
        for (uint16_t slot = 0; slot < count; ++slot) {
            const RowPointer where{number, static_cast<uint8_t>(slot)};
            if (std::optional<Bytes> row = liveRowAt(file, where))
                visit(where, *row);
        }
    }
}

std::vector<Row> readTableRows(const JetFile& file, const JetTableDef& table,
                               ForeignPages foreign) {
    std::vector<Row> rows;
    forEachLiveRow(file, table, foreign,
                   [&](RowPointer, Bytes row) { rows.push_back(decodeRow(file, table, row)); });
    return rows;
}

}  // namespace dalvon::jet

#include "store/jet/format/jet_row_codec.h"

#include <algorithm>

namespace dalvon::jet {
namespace {

void put16(std::vector<uint8_t>& out, size_t at, size_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void append16(std::vector<uint8_t>& out, size_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

size_t fixedAreaLength(const JetTableDef& table) {
    size_t length = 0;
    for (const auto& column : table.columns) {
        if (column.fixed)
            length = std::max(length, size_t{column.fixedOffset} + fixedWidth(column));
    }
    return length;
}

// Where a stored row keeps its variable values: one offset per stored variable column, then the
// end of the last one.
struct VarTable {
    std::vector<size_t> offsets;
    size_t dataEnd = 0;
};

VarTable readVarTable(const JetFile& file, const JetTableDef& table, Bytes row, size_t maskLength) {
    VarTable vars;
    vars.dataEnd = row.size() - maskLength;
    if (table.varColumns == 0)
        return vars;
    if (vars.dataEnd < 4)
        file.damaged("A row is too short for its own offset table.");
    const size_t countAt = vars.dataEnd - 2;
    const size_t count = readU16(file, row, countAt);
    if (2 * (count + 1) > countAt)
        file.damaged("A row is too short for its own offset table.");
    for (size_t i = 0; i <= count; ++i)
        vars.offsets.push_back(readU16(file, row, countAt - 2 * (i + 1)));
    vars.dataEnd = countAt - 2 * (count + 1);
    return vars;
}

}  // namespace

std::vector<StoredValue> splitRow(const JetFile& file, const JetTableDef& table, Bytes row) {
    const size_t columnCount = readU16(file, row, 0);
    const size_t maskLength = (columnCount + 7) / 8;
    if (row.size() < 2 + maskLength)
        file.damaged("A row is shorter than its header.");
    Bytes mask = row.subspan(row.size() - maskLength);
    const VarTable vars = readVarTable(file, table, row, maskLength);
    const size_t fixedEnd = vars.offsets.size() > 1 ? vars.offsets[0] : vars.dataEnd;
    std::vector<StoredValue> values;
    for (const auto& column : table.columns) {
        StoredValue value;
        value.present =
            column.number < columnCount && (mask[column.number / 8] >> column.number % 8 & 1);
        if (value.present && column.type != kBoolean) {
            size_t start = 0, end = 0;
            if (column.fixed) {
                start = 2 + size_t{column.fixedOffset};
                end = start + fixedWidth(column);
                value.present = end <= std::min(fixedEnd, vars.dataEnd);
            } else if (size_t{column.varIndex} + 1 < vars.offsets.size()) {
                start = vars.offsets[column.varIndex];
                end = vars.offsets[column.varIndex + 1];
                if (start < 2 || start > end || end > vars.dataEnd)
                    file.damaged("A value of column '" + column.name + "' lies outside its row.");
            } else {
                value.present = false;
            }
            if (value.present)
                value.bytes.assign(row.begin() + static_cast<long>(start),
                                   row.begin() + static_cast<long>(end));
        }
        values.push_back(std::move(value));
    }
    return values;
}

std::vector<uint8_t> assembleRow(const JetTableDef& table, const std::vector<StoredValue>& values,
                                 size_t minLength) {
    const size_t maskLength = (size_t{table.maxColumns} + 7) / 8;
    std::vector<uint8_t> row(2 + fixedAreaLength(table), 0);
    std::vector<uint8_t> mask(maskLength, 0);
    put16(row, 0, table.maxColumns);
    std::vector<const StoredValue*> byVarIndex(table.varColumns, nullptr);
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const JetColumn& column = table.columns[i];
        if (!values[i].present)
            continue;
        mask[column.number / 8] |= static_cast<uint8_t>(1 << column.number % 8);
        if (column.fixed) {
            std::copy_n(values[i].bytes.begin(),
                        std::min(values[i].bytes.size(), fixedWidth(column)),
                        row.begin() + 2 + column.fixedOffset);
        } else if (column.varIndex < byVarIndex.size()) {
            byVarIndex[column.varIndex] = &values[i];
        }
    }
    std::vector<size_t> offsets;
    for (const StoredValue* value : byVarIndex) {
        offsets.push_back(row.size());
        if (value)
            row.insert(row.end(), value->bytes.begin(), value->bytes.end());
    }
    const size_t dataEnd = row.size();
    const size_t trailer = table.varColumns > 0 ? 2 * (offsets.size() + 2) : 0;
    if (row.size() + trailer + maskLength < minLength)
        row.resize(minLength - trailer - maskLength, 0);
    if (table.varColumns > 0) {
        append16(row, dataEnd);
        for (size_t i = offsets.size(); i-- > 0;)
            append16(row, offsets[i]);
        append16(row, offsets.size());
    }
    row.insert(row.end(), mask.begin(), mask.end());
    return row;
}

}  // namespace dalvon::jet

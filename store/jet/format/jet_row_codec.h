#pragma once

#include <vector>

#include "store/jet/format/jet_value_codec.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {

// The longest row a Jet 4 page takes.
inline constexpr size_t kMaxRowLength = 4060;

// A stored Jet 4 row taken apart: one StoredValue per live column (in table.columns order), the
// bytes exactly as stored (a long value keeps its header and inline data). Columns the row does
// not store are not present. Fault 3343 when an offset leaves the row.
std::vector<StoredValue> splitRow(const JetFile& file, const JetTableDef& table, Bytes row);

// A Jet 4 row from one StoredValue per live column: `max_cols` columns, the whole fixed area,
// the variable data in var-index order (deleted variable columns empty), the offset table and
// the null mask. Rows shorter than `minLength` are padded after the variable data.
std::vector<uint8_t> assembleRow(const JetTableDef& table, const std::vector<StoredValue>& values,
                                 size_t minLength = 0);

}  // namespace dalvon::jet

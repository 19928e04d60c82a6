#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/variant.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {

using Row = std::vector<Variant>;

// Values come back as the classic engine hands them out: Yes/No as Boolean, Byte, Integer,
// Long, Currency (scaled by 10000), Single, Double, Date/Time as Date (OLE days), Text and Memo
// as String (UTF-8), OLE and Binary as Binary, GUID as String "{XXXXXXXX-XXXX-XXXX-XXXX-
// XXXXXXXXXXXX}" (upper-case hex), Decimal as Double (scaled by the column's scale). A column
// of an unknown type reads as Binary.

// The values of the table's live columns, in column-number order, from one stored row.
// Columns the row does not store (added after it was written) are Null. Fault 3343 when an
// offset or length leaves the row or a long-value chain is broken.
Row decodeRow(const JetFile& file, const JetTableDef& table, Bytes row);

// The data pages of the table: the pages its usage map claims, ascending. A claimed page that
// is no data page of this table is damage (Fault 3049), never a page to pass over: its rows
// would be lost without a word.
// The structural checker reports such pages itself and reads on: for it they are skipped.
enum class ForeignPages { Damage, Skip };
std::vector<uint32_t> tableDataPages(const JetFile& file, const JetTableDef& table,
                                     ForeignPages foreign = ForeignPages::Damage);

// The bytes of the live row in a slot, a moved row followed to its new place; nothing for a
// deleted row. Fault 3343 when the slot or its extent is bad.
std::optional<Bytes> liveRowAt(const JetFile& file, RowPointer where);

// Visits the live rows of the table in storage order: the slots of its data pages
// (tableDataPages) in order, each with the bytes liveRowAt gives.
void forEachLiveRow(const JetFile& file, const JetTableDef& table, ForeignPages foreign,
                    const std::function<void(RowPointer, Bytes)>& visit);

// Every live row of the table in storage order: the pages of its usage map in ascending order,
// then the row slots of each page. Deleted rows are skipped and moved rows followed.
std::vector<Row> readTableRows(const JetFile& file, const JetTableDef& table,
                               ForeignPages foreign = ForeignPages::Damage);

// The bytes of a Memo or OLE value from its 12-byte header (inline, one row or a chain).
std::vector<uint8_t> readLongValue(const JetFile& file, Bytes header);

}  // namespace dalvon::jet

#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/variant.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {

// A value as one column of a stored row holds it: for fixed columns their fixed bytes, for Text
// and Binary the variable bytes, for Memo and OLE the long-value header (and inline data).
// Booleans hold no bytes: `present` is their value.
struct StoredValue {
    bool present = false;
    std::vector<uint8_t> bytes;
};

// The bytes of a non-Null value of `column` as a Jet 4 row stores them; for Memo and OLE the
// data the long value holds. The value is converted to the column's type as the classic engine
// converts on assignment. Fault 3163 when a Text or Binary value is longer than the column,
// Fault 13 when a GUID text is malformed.
std::vector<uint8_t> encodeValue(const JetColumn& column, const Variant& value);

// Jet 4 text: the compressed form (FF FE, one byte per character) when `compressible` and every
// character lies in U+0001..U+00FF and there are 3 to 1024 of them, else UCS-2LE.
std::vector<uint8_t> encodeJet4Text(std::string_view utf8, bool compressible);

// UTF-8 as UTF-16 code units (invalid sequences become U+FFFD).
std::u16string utf16Of(std::string_view utf8);

// The UCS-2LE bytes of a name as table definitions store it.
std::vector<uint8_t> ucs2Bytes(std::string_view utf8);

}  // namespace dalvon::jet

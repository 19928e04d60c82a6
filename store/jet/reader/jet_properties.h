#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// Access keeps an object's design properties in the LvProp of its catalog row, in Jet 4 an
// "MR2\0" blob: after those four bytes, chunks of a 4-byte length (counting the chunk's 6-byte
// head) and a 2-byte kind. Kind 0x80 lists the property names; every other chunk is one property
// set: a name block (4-byte length counting itself, a 2-byte byte count, the UCS-2 name; the
// table's own set has an empty name), then the values. A column's set bears the column's name.

// The blob with the set named `oldName` (matched without regard to case) renamed to `newName`;
// nothing when the blob is no well-formed MR2 blob or has no set of that name.
std::optional<std::vector<uint8_t>> renamePropertySet(Bytes blob, const std::string& oldName,
                                                      const std::string& newName);

}  // namespace dalvon::jet

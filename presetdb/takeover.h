#pragma once

#include <memory>

namespace dalvon {

struct Runtime;
class Database;
class Recordset;

// Writes the machine's previous "abs_min", "abs_max", "min", "max" and "pass" from
// `previousSet` into the matching rows of the rebuilt PRESET_DEFS of `database`. Releases
// `previousSet` (it is null on return). May end the program (ProgramEnd).
void TakeoverMachineCopyMDBData(Runtime& rt, const std::unique_ptr<Database>& database,
                                std::unique_ptr<Recordset>& previousSet);

}  // namespace dalvon

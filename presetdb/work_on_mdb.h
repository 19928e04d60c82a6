#pragma once

namespace dalvon {

struct Runtime;

// The preset database update: rebuilds PRESET_DEFS in the source database for every valid
// machine, takes the machine's previous limits over and copies the result over the component
// database. May end the program itself (ProgramEnd).
void WorkOnMDB(Runtime& rt);

}  // namespace dalvon

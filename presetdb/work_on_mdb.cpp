#include "presetdb/work_on_mdb.h"

namespace dalvon {

// Placeholder until the update lands.
void WorkOnMDB(Runtime&) {}

}  // namespace dalvon

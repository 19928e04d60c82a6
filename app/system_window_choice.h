#pragma once

#include "app/window_choice.h"

namespace dalvon {

// Which window this build can show in this process's environment, decided before any window
// toolkit starts.
WindowChoice chooseSystemWindow();

}  // namespace dalvon

#pragma once

namespace dalvon::testing {

// Whether the tests run under Wine rather than Windows. The one place that lists what Wine on
// Linux cannot do of what the Windows build relies on, so that those checks wait for Windows:
// - a file's creation time cannot be set: Linux keeps no settable birth time, and Wine reports
//   the last-write time in its place.
bool runningUnderWine();

}  // namespace dalvon::testing

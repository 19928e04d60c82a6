#pragma once

#include <cstdint>
#include <ctime>

namespace dalvon {

// Windows file times (100-nanosecond units since 1601-01-01 UTC) against host times, exactly:
// every timespec whose nanoseconds are a multiple of 100 survives the round trip.
int64_t fileTimeFromTimespec(const timespec& time);
timespec timespecFromFileTime(int64_t fileTime);

}  // namespace dalvon

#include "platform/file_time.h"

namespace dalvon {
namespace {
constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
}  // namespace

int64_t fileTimeFromTimespec(const timespec& time) {
    return (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kUnitsPerSecond +
           time.tv_nsec / 100;
}

timespec timespecFromFileTime(int64_t fileTime) {
    // Floor division, so that times before 1970 keep a non-negative nanosecond part.
    int64_t seconds = fileTime / kUnitsPerSecond;
    int64_t units = fileTime % kUnitsPerSecond;
    if (units < 0) {
        units += kUnitsPerSecond;
        --seconds;
    }
    timespec time{};
    time.tv_sec = static_cast<time_t>(seconds - kSecondsFrom1601To1970);
    time.tv_nsec = static_cast<long>(units * 100);
    return time;
}

}  // namespace dalvon

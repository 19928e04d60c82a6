#include "platform/calendar.h"

#include <chrono>
#include <cmath>

namespace dalvon {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

// Day 0 of OLE dates, 1899-12-30, counted from the clock's epoch.
constexpr int64_t kOleEpoch =
    sys_days{std::chrono::year{1899} / 12 / 30}.time_since_epoch().count();

}  // namespace

CivilTime civilFromOleDate(double oleDays) {
    double whole = std::trunc(oleDays);
    int64_t seconds = std::llround(std::fabs(oleDays - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += oleDays < 0 ? -1 : 1;
    }
    const std::chrono::year_month_day date{sys_days{days{static_cast<int64_t>(whole) + kOleEpoch}}};
    CivilTime time;
    time.year = static_cast<int>(date.year());
    time.month = static_cast<unsigned>(date.month());
    time.day = static_cast<unsigned>(date.day());
    time.hour = static_cast<int>(seconds / 3600);
    time.minute = static_cast<int>(seconds / 60 % 60);
    time.second = static_cast<int>(seconds % 60);
    return time;
}

std::optional<double> oleDateFromCivil(const CivilTime& time) {
    if (time.year < -32767 || time.year > 32767)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(time.year)},
                                           std::chrono::month{time.month},
                                           std::chrono::day{time.day}};
    if (!date.ok() || time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 ||
        time.second < 0 || time.second > 59) {
        return std::nullopt;
    }
    double wholeDays = static_cast<double>(sys_days{date}.time_since_epoch().count() - kOleEpoch);
    double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
    return wholeDays < 0 ? wholeDays - fraction : wholeDays + fraction;
}

}  // namespace dalvon

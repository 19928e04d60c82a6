#pragma once

#include <cstdint>
#include <optional>

namespace dalvon {

// The one calendar of the program: OLE automation dates (days since 1899-12-30, the fraction is
// the time of day) against civil dates of the proleptic Gregorian calendar. Before 1899-12-30
// the whole days count backwards but the time of day still counts forwards (-1.25 is
// 1899-12-29 06:00).
struct CivilTime {
    int64_t year = 1899;
    unsigned month = 12;
    unsigned day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool hasTime() const { return hour != 0 || minute != 0 || second != 0; }
};

// The civil date and time of an OLE date, to the nearest second.
CivilTime civilFromOleDate(double oleDays);

// The OLE date of a civil date and time; nothing for a day the month lacks or a time outside
// 00:00:00..23:59:59.
std::optional<double> oleDateFromCivil(const CivilTime& time);

}  // namespace dalvon

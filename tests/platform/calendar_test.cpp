#include "platform/calendar.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

// Both directions over the dates that matter: day 0, the dates before it (days backwards, time
// forwards), the leap days, the ends of the range and an ordinary date with a time.
TEST(Calendar, OleDatesAndCivilDatesConvertBothWays) {
    const std::pair<double, CivilTime> days[] = {
        {0.0, {1899, 12, 30, 0, 0, 0}},      {-1.25, {1899, 12, 29, 6, 0, 0}},
        {2.5, {1900, 1, 1, 12, 0, 0}},       {36585.0, {2000, 2, 29, 0, 0, 0}},
        {-657434.0, {100, 1, 1, 0, 0, 0}},   {2958465.0, {9999, 12, 31, 0, 0, 0}},
        {45000.75, {2023, 3, 15, 18, 0, 0}},
    };
    for (const auto& [ole, civil] : days) {
        CivilTime converted = civilFromOleDate(ole);
        EXPECT_EQ(std::tie(converted.year, converted.month, converted.day, converted.hour),
                  std::tie(civil.year, civil.month, civil.day, civil.hour))
            << ole;
        EXPECT_EQ(oleDateFromCivil(civil), ole);
    }
    // Time rounds to the second and carries into the next day.
    CivilTime almostMidnight = civilFromOleDate(1.0 - 1e-9);
    EXPECT_EQ(almostMidnight.day, 31u);
    EXPECT_FALSE(almostMidnight.hasTime());
    EXPECT_EQ(civilFromOleDate(0.5 + 1.4 / 86400).second, 1);
}

TEST(Calendar, ImpossibleDatesAndTimesHaveNoOleDate) {
    const CivilTime impossible[] = {
        {1900, 2, 29, 0, 0, 0}, {2023, 4, 31, 0, 0, 0}, {2023, 13, 1, 0, 0, 0},
        {2023, 0, 1, 0, 0, 0},  {2023, 1, 1, 24, 0, 0}, {2023, 1, 1, 0, 60, 0},
        {2023, 1, 1, 0, 0, 60},
    };
    for (const CivilTime& time : impossible)
        EXPECT_FALSE(oleDateFromCivil(time)) << time.year << "-" << time.month << "-" << time.day;
}

}  // namespace
}  // namespace dalvon

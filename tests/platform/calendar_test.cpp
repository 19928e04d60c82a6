#include "platform/calendar.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

struct Day {
    double ole;
    CivilTime civil;
};

// Both directions over the dates that matter: day 0, the dates before it (days backwards, time
// forwards), the leap days and an ordinary date with a time.
TEST(Calendar, OleDatesAndCivilDatesConvertBothWays) {
    const Day days[] = {
        {0.0, {1899, 12, 30, 0, 0, 0}},      {1.0, {1899, 12, 31, 0, 0, 0}},
        {-1.25, {1899, 12, 29, 6, 0, 0}},    {2.5, {1900, 1, 1, 12, 0, 0}},
        {36526.0, {2000, 1, 1, 0, 0, 0}},    {36585.0, {2000, 2, 29, 0, 0, 0}},
        {-657434.0, {100, 1, 1, 0, 0, 0}},   {2958465.0, {9999, 12, 31, 0, 0, 0}},
        {45000.75, {2023, 3, 15, 18, 0, 0}},
    };
    for (const Day& day : days) {
        CivilTime civil = civilFromOleDate(day.ole);
        EXPECT_EQ(civil.year, day.civil.year) << day.ole;
        EXPECT_EQ(civil.month, day.civil.month) << day.ole;
        EXPECT_EQ(civil.day, day.civil.day) << day.ole;
        EXPECT_EQ(civil.hour, day.civil.hour) << day.ole;
        std::optional<double> back = oleDateFromCivil(day.civil);
        ASSERT_TRUE(back) << day.ole;
        EXPECT_DOUBLE_EQ(*back, day.ole);
    }
}

TEST(Calendar, TimeRoundsToTheSecondAndCarriesIntoTheNextDay) {
    CivilTime almostMidnight = civilFromOleDate(1.0 - 1e-9);
    EXPECT_EQ(almostMidnight.day, 31u);
    EXPECT_FALSE(almostMidnight.hasTime());
    EXPECT_EQ(civilFromOleDate(0.5 + 1.4 / 86400).second, 1);
}

TEST(Calendar, ImpossibleDatesAndTimesHaveNoOleDate) {
    const CivilTime impossible[] = {
        {1900, 2, 29, 0, 0, 0}, {2023, 2, 30, 0, 0, 0}, {2023, 13, 1, 0, 0, 0},
        {2023, 4, 31, 0, 0, 0}, {2023, 1, 1, 24, 0, 0}, {2023, 1, 1, 0, 60, 0},
        {2023, 1, 1, 0, 0, 60}, {2023, 0, 1, 0, 0, 0},
    };
    for (const CivilTime& time : impossible)
        EXPECT_FALSE(oleDateFromCivil(time)) << time.year << "-" << time.month << "-" << time.day;
}

}  // namespace
}  // namespace dalvon

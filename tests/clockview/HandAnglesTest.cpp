#include "clockview/HandAngles.h"

#include <gtest/gtest.h>

namespace {

struct AngleCase
{
    const char *name;
    TimeOfDay time;
    bool twentyFour;
    float hour;
    float minute;
    float second;
};

class HandAngleValues : public ::testing::TestWithParam<AngleCase>
{};

} // namespace

// Exact float equality throughout: the angles are specified to the last bit.
TEST_P(HandAngleValues, MatchTheWorkedValues)
{
    const AngleCase &c = GetParam();
    EXPECT_EQ(HandAngles::hour(c.time, c.twentyFour), c.hour) << c.name;
    EXPECT_EQ(HandAngles::minute(c.time), c.minute) << c.name;
    EXPECT_EQ(HandAngles::second(c.time), c.second) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Dial, HandAngleValues,
    ::testing::Values(AngleCase{"ten past ten", {10, 10, 30}, false, -215.25f, 27.0f, -90.0f},
                      AngleCase{"six pm on 24 hours", {18, 0, 0}, true, -180.0f, 90.0f, 90.0f},
                      AngleCase{"midnight", {0, 0, 0}, false, 90.0f, 90.0f, 90.0f},
                      AngleCase{"midnight on 24 hours", {0, 0, 0}, true, 90.0f, 90.0f, 90.0f},
                      AngleCase{"noon", {12, 0, 0}, false, 90.0f, 90.0f, 90.0f},
                      AngleCase{"last second on 24 hours",
                                {23, 59, 59},
                                true,
                                static_cast<float>(90.0 - 15.0 * (23 + 3599.0 / 3600.0)),
                                static_cast<float>(90.0 - 6.0 * (59 + 59.0 / 60.0)),
                                -264.0f},
                      AngleCase{"a third of a minute",
                                {7, 0, 20},
                                false,
                                static_cast<float>(90.0 - 30.0 * (7 + 20.0 / 3600.0)),
                                static_cast<float>(90.0 - 6.0 * (20.0 / 60.0)),
                                -30.0f}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

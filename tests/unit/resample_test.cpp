#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>

#include "input/resample_time_history.h"

TEST(OutputStepCount, TruncatesTowardZeroAndSaturatesBelowTheRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double span_over_dt;
        std::int32_t nt;
    } cases[] = {
        {2.9999999999999996, 2},
        {0.0, 0},
        {-2.5, -2},
        {2147483647.9, 2147483647},
        {-2147483648.0, INT32_MIN},
        {-1e300, INT32_MIN},
        {-std::numeric_limits<double>::infinity(), INT32_MIN},
        // An infinite span over an infinite step: no output step at all.
        {nan, INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(output_step_count(c.span_over_dt), c.nt) << c.span_over_dt;
}

// The largest step count the dialogue lets through must end: a 32-bit loop
// counter would wrap before passing it.
TEST(WriteResampledPoints, LargestStepCountEnds)
{
    auto buffers = std::make_unique<ResampleBuffers>();
    buffers->time_buf[0] = 0.0;
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    // One input point: no output time after the first finds a point.
    write_resampled_points(out, *buffers, 0, 1.0, INT32_MAX);
    EXPECT_EQ(std::ftell(out), 0);
    std::fclose(out);
}

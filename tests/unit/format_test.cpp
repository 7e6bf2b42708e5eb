#include <gtest/gtest.h>

#include "platform/format.h"

TEST(Format, ExponentHasThreeDigits)
{
    EXPECT_EQ(format_text("%14.4e", 10.0), "   1.0000e+001");
}

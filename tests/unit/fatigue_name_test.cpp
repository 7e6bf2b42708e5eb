#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "results/fatigue_file.h"

namespace {

struct NameCase {
    double damp;
    double b;
    const char* name;
};

TEST(FatigueFileName, QAndBPartsTable)
{
    const NameCase cases[] = {
        {0.05, 6.4, "time_history_fatigue_Q10_b6p4.txt"},
        {0.05, 4, "time_history_fatigue_Q10_b4.txt"},
        {0.03, 6.4, "time_history_fatigue_Q16_b6p4.txt"},  // Q 16.67 truncated
        {0.02, 6.5, "time_history_fatigue_Q25_b6.txt"},
        {0.05, 6, "time_history_fatigue_Q10_b6.txt"},
        {0.05, 6.41, "time_history_fatigue_Q10_b6.txt"},
        {0.05, std::nextafter(6.4, 7.0), "time_history_fatigue_Q10_b6.txt"},  // only 6.4 itself is marked
        {0.05, -1.5, "time_history_fatigue_Q10_b-1.txt"},
        {0.05, -0.5, "time_history_fatigue_Q10_b0.txt"},
        {0.05, 1e10, "time_history_fatigue_Q10_b10000000000.txt"},
        {0.0, 6.4, "time_history_fatigue_Qinf_b6p4.txt"},
        {-0.0, 4, "time_history_fatigue_Q-inf_b4.txt"},
        {-0.05, 4, "time_history_fatigue_Q-10_b4.txt"},
        {0.9, 4, "time_history_fatigue_Q0_b4.txt"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(fatigue_file_name(c.damp, c.b), c.name) << "damp " << c.damp << ", b " << c.b;
}

TEST(FatigueFileName, TypedQComesBackThroughTheDampingRatio)
{
    // The dialogue keeps damp = 1 / (2 Q); the name takes Q afresh from it.
    struct TypedQ {
        double q;
        const char* part;
    };
    const TypedQ cases[] = {{93, "Q92_"}, {10, "Q10_"}, {25, "Q25_"}, {50, "Q50_"}, {100, "Q100_"}};
    for (const TypedQ& c : cases) {
        double damp = 1 / (2 * c.q);
        EXPECT_NE(fatigue_file_name(damp, 4).find(c.part), std::string::npos) << "Q " << c.q;
    }
}

TEST(WholePartText, TruncatesTowardZero)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.999, "0"},
        {-0.999, "0"},
        {92.99999999999999, "92"},
        {-7.9, "-7"},
        {2147483647.9, "2147483647"},
        {-2147483648.9, "-2147483648"},
        {2147483648.0, "2147483648"},
        {1e20, "100000000000000000000"},
        {-1e20, "-100000000000000000000"},
        {INFINITY, "inf"},
        {-INFINITY, "-inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(whole_part_text(c.value), c.text) << c.value;
}

}  // namespace

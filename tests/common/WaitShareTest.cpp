// The share of its waits a program is asked for: a whole 1 to 100, else the full waits.
#include "common/WaitShare.h"

#include <gtest/gtest.h>

using namespace vr31k;

TEST(WaitShare, OnlyAWholeShareUpToAllIsTaken) {
    for (const char* refused : {"0", "101", "-5", "20%", " 20", "2.5", "99999999999", "5\x1b[2J"}) {
        const WaitPercent parsed = ParseWaitPercent(refused);
        EXPECT_EQ(parsed.percent, 100) << refused;
        EXPECT_NE(parsed.problem.find("the full waits are kept"), std::string::npos) << refused;
        EXPECT_EQ(parsed.problem.find('\x1b'), std::string::npos) << "shown, not obeyed";
    }
    for (const auto& [value, percent] : {std::pair{"", 100}, {"1", 1}, {"100", 100}}) {
        EXPECT_EQ(ParseWaitPercent(value).percent, percent);
        EXPECT_EQ(ParseWaitPercent(value).problem, "");
    }
}

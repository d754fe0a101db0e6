// The share of its waits a program is asked for: only a whole 1 to 100, and only shorter.
#include "common/FolderLock.h"
#include "common/WaitShare.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vr31k;
using std::chrono::milliseconds;

TEST(WaitShare, OnlyAWholeShareUpToAllIsTakenAndEveryWaitShrinksWithIt) {
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
    setenv(kWaitPercentVariable, "10", 1);
    EXPECT_EQ(TakeWaitPercentFromEnvironment(), "");
    EXPECT_EQ(FolderLock::DefaultWait(), milliseconds(500));
    EXPECT_EQ(ShareOfWaitMs(5), 1) << "a wait never becomes none";
    unsetenv(kWaitPercentVariable);
    EXPECT_EQ(TakeWaitPercentFromEnvironment(), "");
    EXPECT_EQ(FolderLock::DefaultWait(), FolderLock::kDefaultWait);
}

#include "dialup/ConnectionFigures.h"

#include <gtest/gtest.h>

using namespace vr31k;

TEST(ConnectionFigures, TimeVolumeAndChargeTexts) {
    // Whole seconds, the hours not wrapped at 24.
    const std::pair<uint64_t, const char*> times[] = {
        {0, "00:00:00"},        {999, "00:00:00"},      {3725000, "01:02:05"},
        {3725999, "01:02:05"},  {90000000, "25:00:00"}, {100ULL * 3600 * 1000, "100:00:00"},
        {3ULL * 24 * 3600 * 1000 + 59000, "72:00:59"},
    };
    for (const auto& [ms, text] : times) EXPECT_EQ(FormatConnectionTime(ms), text) << ms;
    // The tick divides by 1024 itself: large volumes still read in kilobytes.
    EXPECT_EQ(FormatConnectionVolume(1073741825ULL, 0), "1,048,576 kBytes");
    EXPECT_EQ(FormatConnectionVolume(1000, 23), "0 kBytes");
    EXPECT_EQ(FormatConnectionVolume(1ULL << 40, 1ULL << 40), "2,147,483,648 kBytes");
    EXPECT_EQ(FormatCharge(-1), "---");
    EXPECT_EQ(FormatCharge(0), "\u00A5 0");
    EXPECT_EQ(FormatCharge(1234567), "\u00A5 1,234,567");
}

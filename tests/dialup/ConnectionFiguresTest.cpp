#include "dialup/ConnectionFigures.h"

#include <gtest/gtest.h>

using namespace vr31k;

TEST(ConnectionFigures, TimeVolumeAndChargeTexts) {
    EXPECT_EQ(FormatConnectionTime(0), "00:00:00");
    EXPECT_EQ(FormatConnectionTime(3725999), "01:02:05");
    EXPECT_EQ(FormatConnectionTime(100ULL * 3600 * 1000), "100:00:00");
    EXPECT_EQ(FormatConnectionTime(3ULL * 24 * 3600 * 1000 + 59000), "72:00:59");
    // The tick divides by 1024 itself: large volumes still read in kilobytes.
    EXPECT_EQ(FormatConnectionVolume(1073741825ULL, 0), "1,048,576 kBytes");
    EXPECT_EQ(FormatConnectionVolume(1000, 23), "0 kBytes");
    EXPECT_EQ(FormatConnectionVolume(1ULL << 40, 1ULL << 40), "2,147,483,648 kBytes");
    EXPECT_EQ(FormatCharge(-1), "---");
    EXPECT_EQ(FormatCharge(0), "\u00A5 0");
    EXPECT_EQ(FormatCharge(1234567), "\u00A5 1,234,567");
}

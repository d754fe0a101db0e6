// The small helpers of the common layer: byte counts, terminal-safe text, the system
// version classes, the pop-up time check and the INI file.
#include "common/ByteCount.h"
#include "common/IniFile.h"
#include "common/OsVersion.h"
#include "common/TerminalText.h"
#include "common/UtilitySettingsRules.h"

#include <gtest/gtest.h>

using namespace vr31k;

TEST(FormatByteCount, GroupsDigitsAndScalesAboveOneGibibyte) {
    struct Row {
        uint64_t count;
        bool unit, scale;
        const char* text;
        bool scaled;
    } rows[] = {
        {0, true, true, "0 Bytes", false},
        {999, false, false, "999", false},
        {1000, false, false, "1,000", false},
        {1234567, true, true, "1,234,567 Bytes", false},
        {1073741824, true, true, "1,073,741,824 Bytes", false},
        {1073741825, true, true, "1,048,576 kBytes", true},
        {1073741825, true, false, "1,073,741,825 Bytes", false},
        {2147483648ULL, true, true, "2,097,152 kBytes", true},
        {2147483648ULL, false, true, "2,097,152", true},
        {18446744073709551615ULL, false, false, "18,446,744,073,709,551,615", false},
        {18446744073709551615ULL, true, true, "18,014,398,509,481,983 kBytes", true},
    };
    for (const Row& row : rows) {
        std::string out = "stale";
        EXPECT_EQ(FormatByteCount(row.count, row.unit, row.scale, out), row.scaled) << row.count;
        EXPECT_EQ(out, row.text);
    }
}

TEST(TerminalText, ShowsWhatATerminalWouldObey) {
    struct Row {
        const char* raw;
        const char* shown;
    } rows[] = {
        {"minicom", "minicom"},
        {"通信カード", "通信カード"},
        {"a\x1b]0;owned\a", "a\\x1B]0;owned\\x07"},
        {"ok\rkill 1", "ok\\x0Dkill 1"},
        {"tab\tline\n", "tab\\x09line\\x0A"},
        {"del\x7f", "del\\x7F"},
        {"\xc2\x9b" "2J", "\\u{009B}2J"},                 // C1 CSI
        {"abc\xe2\x80\xae" "fdp.exe", "abc\\u{202E}fdp.exe"},  // RLO
        {"\xe2\x81\xa6x\xe2\x81\xa9", "\\u{2066}x\\u{2069}"},  // an isolate
        {"\xff\xfe\xe3\x81", "\\xFF\\xFE\\xE3\\x81"},    // not UTF-8, a cut-off character
        {"C:\\x1B", "C:\\x1B"},                          // a backslash stays: escaping twice changes nothing
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TerminalText(row.raw), row.shown) << row.shown;
        EXPECT_EQ(TerminalText(TerminalText(row.raw)), row.shown);
    }
}

TEST(GetOsVersionClass, WholeTable) {
    struct Row {
        OsPlatform platform;
        unsigned major, minor;
        const char* sp;
        int expected;
    } rows[] = {
        {OsPlatform::Win9x, 4, 0, "", 1},     {OsPlatform::Win9x, 4, 9, "", 1},
        {OsPlatform::Win9x, 4, 10, "", 2},    {OsPlatform::Win9x, 4, 10, " ", 2},
        {OsPlatform::Win9x, 4, 10, " A ", 3}, {OsPlatform::Win9x, 4, 89, "A", 3},
        {OsPlatform::Win9x, 4, 90, "", 4},    {OsPlatform::Win9x, 4, 90, " A ", 4},
        {OsPlatform::NT, 1, 0, "", 0},        {OsPlatform::NT, 2, 5, "", 0},
        {OsPlatform::NT, 3, 51, "", 5},       {OsPlatform::NT, 4, 0, "Service Pack 6", 6},
        {OsPlatform::NT, 5, 0, "", 7},        {OsPlatform::NT, 5, 1, "", 8},
        {OsPlatform::NT, 5, 2, "", 8},        {OsPlatform::NT, 6, 0, "", 10},
        {OsPlatform::NT, 6, 3, "", 10},       {OsPlatform::NT, 7, 0, "", 8},
        {OsPlatform::NT, 10, 0, "", 8},       {OsPlatform::Other, 6, 0, "", 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(OsVersionClassOf({row.platform, row.major, row.minor, row.sp}), row.expected)
            << static_cast<int>(row.platform) << " " << row.major << "." << row.minor << " '" << row.sp << "'";
    }
    EXPECT_GE(GetOsVersionClass(), kOsClassMinimum);
}

TEST(OneshotTimeCheck, DialogRules) {
    struct Row {
        const char* text;
        bool ok;
        int value;
        int textId;
    } rows[] = {
        {"10", true, 10, 0},   {"60", true, 60, 0},     {"015", true, 15, 0},
        {"5", false, 0, 190},  {"61", false, 0, 190},   {"", false, 0, 190},
        {"-10", false, 0, 188}, {"1a", false, 0, 188},  {" 15", false, 0, 188},
        {"99999999999999999999999", false, 0, 190},
    };
    for (const Row& row : rows) {
        const FieldCheck check = CheckOneshotTime(row.text);
        EXPECT_EQ(check.ok, row.ok) << row.text;
        if (row.ok) EXPECT_EQ(check.value, row.value);
        else EXPECT_EQ(check.textId, row.textId) << row.text;
    }
    EXPECT_EQ(CheckOneshotTime("5").text, "10 から 60 までの整数を入力してください。");
}

TEST(IniFile, SetAppendsToTheRightSectionAndMatchesWithoutCase) {
    IniFile ini = IniFile::Parse("top=1\n[A]\nx=1\n\n[b]\ny=2\n");
    ini.Set("a", "Z", "3");
    ini.Set("B", "Y", "4");
    ini.Set("C", "k", "v");
    EXPECT_EQ(ini.Serialize(), "top=1\n[A]\nx=1\nZ=3\n\n[b]\ny=4\n[C]\nk=v\n");
    EXPECT_EQ(ini.Get("A", "top"), std::nullopt);
    EXPECT_EQ(ini.Get("", "top"), "1");
}

// The settings file: defaults, every section's round trip, the forms values are read
// and written in, what a write keeps, its mode, and writes that cannot complete.
#include "common/IniFile.h"
#include "common/SettingsStore.h"
#include "common/AtomicFileWriter.h"
#include "support/ProcessRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <cerrno>
#include <clocale>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::ReadFile;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("VR31KUTL.ini");
    SettingsStore store{path};
};

TEST_F(SettingsStoreTest, AbsentFileReadsDefaultsAndIsNotCreated) {
    EXPECT_EQ(store.ReadUtility(), UtilitySettings{});
    EXPECT_EQ(store.ReadDialup(), DialupSettings{});
    EXPECT_EQ(store.ReadHistoryList(), HistoryListSettings{});
    EXPECT_EQ(store.ReadPortName(), "");
    EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST_F(SettingsStoreTest, EverySectionRoundTrips) {
    const UtilitySettings u{0, 1, 0, 0, 45, 0};
    const DialupSettings d{2, 1000, 1050, 0.0125, 5000, 256, 3000, 80, 15, 3};
    const HistoryListSettings h{640, 480, 1, 3, 1};
    ASSERT_EQ(store.WriteUtility(u), 0);
    ASSERT_EQ(store.WriteDialup(d), 0);
    ASSERT_EQ(store.WriteHistoryList(h, true), 0);
    EXPECT_EQ(store.ReadUtility(), u);
    EXPECT_EQ(store.ReadDialup(), d);
    EXPECT_EQ(store.ReadHistoryList(), h);
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("PacketCharge2=0.0125\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ChargeType=2\nFreePackets=1000\nFreeCall1=1050\nPacketCharge2=0.0125\n"
                        "MaxCharge2=5000\nPacketSize=256\nNoticeCharge=3000\nNoticeRatio=80\n"
                        "ChargeDay=15\nEntryIndex=3\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[UTL_CONFIG]\nAutoStart=0\nIconizedStart=1\nCardDtctRising=0\n"
                        "AntDispOneshot=0\nAntDispOneshotTime=45\n"),
              std::string::npos)
        << text;
}

TEST_F(SettingsStoreTest, SolvaneModeAndPortNameAreReadButNeverWritten) {
    WriteFile(path, "[UTL_CONFIG]\nSolvaneMode=1\nPortName=/dev/ttyACM3\n");
    UtilitySettings u = store.ReadUtility();
    EXPECT_EQ(u.solvaneMode, 1);
    EXPECT_EQ(store.ReadPortName(), "/dev/ttyACM3");
    u.solvaneMode = 0;
    ASSERT_EQ(store.WriteUtility(u), 0);
    EXPECT_EQ(store.ReadUtility().solvaneMode, 1);
    EXPECT_EQ(store.ReadPortName(), "/dev/ttyACM3");
}

TEST_F(SettingsStoreTest, HistoryListSizeOnlyWhenAsked) {
    WriteFile(path, "[GUI_CONFIG]\nHistoryListCx=800\nHistoryListCy=600\n");
    ASSERT_EQ(store.WriteHistoryList(HistoryListSettings{1, 2, 1, 4, 0}, false), 0);
    const HistoryListSettings h = store.ReadHistoryList();
    EXPECT_EQ(h.cx, 800);
    EXPECT_EQ(h.cy, 600);
    EXPECT_EQ(h.maximized, 1);
    EXPECT_EQ(h.sortColumn, 4);
}

// The price as it is read from the forms a hand may write, and written as %g (read back
// as written).
TEST_F(SettingsStoreTest, PacketChargeTextForms) {
    const std::pair<const char*, double> read[] = {
        {"0.0125", 0.0125}, {"1.5e-07", 1.5e-07}, {"2E+10", 2e10}, {"  -3", -3.0},
        {"abc", 0.0},       {"", 0.0},            {"1.5yen", 1.5}, {"1e999", -1.0},
    };
    for (const auto& [text, value] : read) {
        WriteFile(path, std::string("[DUP_CONFIG]\nPacketCharge2=") + text + "\n");
        EXPECT_DOUBLE_EQ(store.ReadDialup().packetCharge2, value) << text;
    }
    const auto written = [&](double v) {
        store.WriteDialup(DialupSettings{.packetCharge2 = v});
        return *IniFile::Parse(ReadFile(path)).Get("DUP_CONFIG", "PacketCharge2");
    };
    const std::pair<double, const char*> writes[] = {
        {0.0125, "0.0125"}, {0.1234567, "0.123457"}, {-1.0, "-1"}, {1e-5, "1e-05"}, {12345678.0, "1.23457e+07"}};
    for (const auto& [value, text] : writes) {
        EXPECT_EQ(written(value), text);
        EXPECT_DOUBLE_EQ(store.ReadDialup().packetCharge2, std::stod(text)) << text;
    }

    // The process locale must not turn the decimal point into a comma.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(written(0.5), "0.5");
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST_F(SettingsStoreTest, IntegersReadWithSignAndBadValuesAsDefaults) {
    WriteFile(path,
              "[dup_config]\n chargetype = -1\nFreePackets=+25\nPacketSize=big\nMaxCharge2=99999999999\n"
              "NoticeCharge=12abc\nChargeDay=\n[UTL_CONFIG]\nAntDispOneshotTime=5\n");
    const DialupSettings d = store.ReadDialup();
    EXPECT_EQ(d.chargeType, -1);
    EXPECT_EQ(d.freePackets, 25);
    EXPECT_EQ(d.packetSize, 128);
    EXPECT_EQ(d.maxCharge2, -1);
    EXPECT_EQ(d.noticeCharge, 12);
    EXPECT_EQ(d.chargeDay, 32);
    // A hand-edited time outside the dialog's range is used as read.
    EXPECT_EQ(store.ReadUtility().antDispOneshotTime, 5);
}

// The limit's section is read strictly: a value that is not wholly a number in its range
// is its default, never the digits it starts with.
TEST_F(SettingsStoreTest, LimitValuesOutsideTheirRangeReadAsDefaults) {
    const LimitSettings defaults;
    struct Row {
        const char* line;
        int64_t LimitSettings::*wide;
        int32_t LimitSettings::*narrow;
        int64_t value;
    } rows[] = {
        {"LimitBytes=2147483648", &LimitSettings::bytes, nullptr, 2147483648},
        {"LimitBytes=1125899906842624", &LimitSettings::bytes, nullptr, int64_t{1} << 50},
        {"LimitBytes=1e9", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=9223372036854775807", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=99999999999999999999", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=1125899906842625", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=1023", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=-5", &LimitSettings::bytes, nullptr, -1},
        {"LimitBytes=4096 ", &LimitSettings::bytes, nullptr, 4096},
        {"BurstBytes=12abc", &LimitSettings::burstBytes, nullptr, 0},
        {"BurstBytes=1048576", &LimitSettings::burstBytes, nullptr, 1048576},
        {"BurstBytes=-1", &LimitSettings::burstBytes, nullptr, 0},
        {"LimitKind=2", nullptr, &LimitSettings::kind, 2},
        {"LimitKind=3", nullptr, &LimitSettings::kind, 0},
        {"LimitKind=2x", nullptr, &LimitSettings::kind, 0},
        {"LimitCharge=3000", nullptr, &LimitSettings::charge, 3000},
        {"LimitCharge=1000000", nullptr, &LimitSettings::charge, -1},
        {"LimitCharge=0", nullptr, &LimitSettings::charge, -1},
        {"LimitCharge=+30", nullptr, &LimitSettings::charge, -1},
        {"LimitWarnRatio=0", nullptr, &LimitSettings::warnRatio, 0},
        {"LimitWarnRatio=100", nullptr, &LimitSettings::warnRatio, 80},
        {"LimitWarnRatio=50.5", nullptr, &LimitSettings::warnRatio, 80},
    };
    for (const Row& row : rows) {
        WriteFile(path, std::string("[VR31K_LIMIT]\n") + row.line + "\n");
        const LimitSettings read = store.ReadLimit();
        LimitSettings expected = defaults;
        if (row.wide != nullptr) expected.*row.wide = row.value;
        else expected.*row.narrow = static_cast<int32_t>(row.value);
        EXPECT_EQ(read, expected) << row.line;
    }
}

TEST_F(SettingsStoreTest, GarbageFilesNeverCrashAndReadAsDefaults) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xff);
    WriteFile(path, binary);
    EXPECT_EQ(store.ReadDialup(), DialupSettings{});
    WriteFile(path, "[UTL_CONFIG\n=5\n[]\nAutoStart\n" + std::string(100000, 'x') + "\n[UTL_CONFIG]\nAutoStart=0\n");
    EXPECT_EQ(store.ReadUtility().autoStart, 0);
    WriteFile(path, std::string("[UTL_CONFIG]\nAutoStart=0") + '\0' + "\n");
    EXPECT_EQ(store.ReadUtility().autoStart, 1);
    // Unreadable: a folder where the file should be.
    TempDir other;
    SettingsStore folderStore(other.Path());
    EXPECT_EQ(folderStore.ReadUtility(), UtilitySettings{});
}

TEST_F(SettingsStoreTest, WritesKeepUnknownKeysSectionsAndComments) {
    WriteFile(path,
              "; written by hand\n[OTHER]\nColour=blue\n[UTL_CONFIG]\nAutoStart=1\nFuture=yes\n"
              "PortName=/dev/ttyUSB0\n");
    UtilitySettings u;
    u.iconizedStart = 1;
    ASSERT_EQ(store.WriteUtility(u), 0);
    ASSERT_EQ(store.WriteDialup(DialupSettings{}), 0);
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("; written by hand\n[OTHER]\nColour=blue\n"), std::string::npos) << text;
    const IniFile ini = IniFile::Parse(text);
    EXPECT_EQ(ini.Get("UTL_CONFIG", "Future"), "yes");
    EXPECT_EQ(ini.Get("UTL_CONFIG", "IconizedStart"), "1");
    EXPECT_EQ(store.ReadPortName(), "/dev/ttyUSB0");
}

// A dialog's OK over a file another face changed while it was open: both changes stay.
TEST_F(SettingsStoreTest, ADialogWritesOnlyWhatTheUserChanged) {
    const DialupSettings opened;
    DialupSettings edited = opened;
    edited.noticeCharge = 500;
    ASSERT_EQ(store.ChangeDialup([](DialupSettings& s) { return s.chargeDay = 10, true; }), 0);
    ASSERT_EQ(store.ChangeEdited(opened, edited), 0);
    EXPECT_EQ(store.ReadDialup().noticeCharge, 500);
    EXPECT_EQ(store.ReadDialup().chargeDay, 10);
    EXPECT_EQ(edited, store.ReadDialup());
}

// The utility's and the plan's writes leave the file writable like its folder; the
// history list's leaves the mode alone, and fails on a file the user may not write.
TEST_F(SettingsStoreTest, WritesAndTheFilesMode) {
    const mode_t shared = SharedFileMode(dir.Path());
    const struct {
        mode_t before;  // 0: the file is made by the write
        std::function<int()> write;
        bool ok;
        mode_t after;
    } steps[] = {
        {0, [&] { return store.WriteUtility(UtilitySettings{}); }, true, shared},
        {0444, [&] { return store.WriteDialup(DialupSettings{}); }, true, shared},
        {0444, [&] { return store.WriteUtility(UtilitySettings{}); }, true, shared},
        {0640, [&] { return store.WriteHistoryList(HistoryListSettings{}, true); }, true, 0640},
        // Root may write anything; the rule is about ordinary users.
        {0444, [&] { return geteuid() == 0 ? 1 : store.WriteHistoryList(HistoryListSettings{1, 1, 1, 1, 1}, true); },
         false, 0444},
    };
    for (const auto& step : steps) {
        if (step.before != 0) chmod(path.c_str(), step.before);
        ASSERT_EQ(step.write() == 0, step.ok) << std::oct << step.before;
        EXPECT_EQ(ModeOf(path), step.after) << std::oct << step.before;
    }
}

// A crash after the new content is written but before it replaces the file, and a
// disk that fills up mid-write, both leave the previous settings whole.
TEST_F(SettingsStoreTest, InterruptedWritesLeaveTheOldFileIntact) {
    const DialupSettings before{.chargeType = 1};
    ASSERT_EQ(store.WriteDialup(before), 0);
    const std::string original = ReadFile(path);

    {
        AtomicFileWriter writer(path, 0644);
        ASSERT_TRUE(writer.Open() && writer.Write("[DUP_CONFIG]\nChargeType=3\n"));
        writer.AbandonForTest();  // as a crash before the rename
    }
    EXPECT_EQ(ReadFile(path), original);
    // The killed writer's temporary file goes at the next write.
    const auto temporaries = [&] {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
            n += e.path().filename().string().rfind(".VR31KUTL.ini.", 0) == 0;
        }
        return n;
    };
    EXPECT_EQ(temporaries(), 1u);
    ASSERT_EQ(store.WriteDialup(before), 0);
    EXPECT_EQ(temporaries(), 0u);

    EXPECT_EQ(test::RunInChild(nullptr, [&] {
                  signal(SIGXFSZ, SIG_IGN);
                  rlimit limit{64, 64};  // any write past 64 bytes fails as on a full disk
                  setrlimit(RLIMIT_FSIZE, &limit);
                  return store.WriteDialup(DialupSettings{.chargeType = 2}) == 0 ? 1 : 0;
              }),
              0)
        << "the write should have failed";
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(store.ReadDialup().chargeType, 1);
}

// A file larger than any settings file reads as defaults; one just under the read
// limit reads, but a write that would take it past the limit would lose every setting
// at the next read. Neither is written over, by any of the writes.
TEST_F(SettingsStoreTest, AFileTooLargeOrMadeSoIsNeverReplaced) {
    const auto padded = [](size_t total) {
        std::string text = "[UTL_CONFIG]\nAntDispOneshotTime=33\n[OTHER]\nData=";
        text += std::string(total - text.size() - 1, 'x');
        return text + "\n";
    };
    const struct {
        std::string text;
        int32_t oneshotTime;  // as read
    } cases[] = {{padded(2 << 20), UtilitySettings{}.antDispOneshotTime}, {padded(1 << 20), 33}};
    for (const auto& c : cases) {
        WriteFile(path, c.text);
        EXPECT_EQ(store.ReadUtility().antDispOneshotTime, c.oneshotTime) << c.text.size();
        const int writes[] = {store.WriteUtility(UtilitySettings{}), store.WriteDialup(DialupSettings{}),
                              store.WriteHistoryList(HistoryListSettings{}, true),
                              store.ChangeUtility([](UtilitySettings& u) { return ++u.antDispOneshotTime; })};
        for (const int result : writes) EXPECT_EQ(result, EFBIG) << c.text.size();
        EXPECT_TRUE(ReadFile(path) == c.text) << c.text.size() << " bytes: the file was replaced";
        EXPECT_EQ(store.ReadUtility().antDispOneshotTime, c.oneshotTime) << c.text.size();
    }
}

}  // namespace

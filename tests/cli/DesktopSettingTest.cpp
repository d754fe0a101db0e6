// vr31kctl settings set-desktop: the one key pppd's hook reads, on unless turned off.
#include "common/SettingsStore.h"
#include "cli/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vr31k {
namespace {

TEST(DesktopSetting, MeteredIsOnUntilTurnedOffAndShowsOnceSet) {
    test::TempDir dir;
    const SettingsStore store(dir.File("VR31KUTL.ini"));
    const auto ctl = [&](std::vector<std::string> words, std::string& out) {
        words.insert(words.begin(), {"--json", "--data-dir", dir.Path(), "settings"});
        std::ostringstream o, e;
        const int status = cli::RunCli(words, o, e);
        out = o.str() + e.str();
        return status;
    };
    std::string out;
    EXPECT_TRUE(store.ReadDesktopMetered());
    ASSERT_EQ(ctl({"show"}, out), 0);
    EXPECT_EQ(out.find("VR31K_DESKTOP"), std::string::npos) << out;
    ASSERT_EQ(ctl({"set-desktop", "--metered", "0"}, out), 0) << out;
    EXPECT_EQ(out, "{\"VR31K_DESKTOP\": {\"Metered\": 0}}\n");
    EXPECT_FALSE(store.ReadDesktopMetered());
    ASSERT_EQ(ctl({"show"}, out), 0);
    EXPECT_NE(out.find("\"VR31K_DESKTOP\": {\"Metered\": 0}"), std::string::npos) << out;
    EXPECT_EQ(ctl({"set-desktop", "--metered", "2"}, out), 2);
    EXPECT_EQ(ctl({"set-desktop"}, out), 2);
    EXPECT_FALSE(store.ReadDesktopMetered());
}

}  // namespace
}  // namespace vr31k

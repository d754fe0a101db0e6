// vr31kctl connect refuses to dial where the utility refuses: no signal, entries that
// differ from the card, an unknown entry; status and disconnect without a connection.
#include "CardSimulator.h"
#include "common/StringIds.h"
#include "cli/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

namespace vr31k {
namespace {

class ConnectCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    std::pair<int, std::string> Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), {"--json", "--data-dir", data.Path(), "--port", card.PortPath()});
        std::ostringstream out, err;
        const int status = cli::RunCli(words, out, err);
        return {status, out.str()};
    }
    static std::string Messages(std::initializer_list<int> ids) {
        std::string text = "\"messages\": [";
        for (int id : ids) text += (text.back() == '[' ? "" : ", ") + std::to_string(id);
        return text + "]";
    }

    test::TempDir data;
    sim::CardSimulator card;
};

TEST_F(ConnectCli, RefusesWithoutSignal) {
    card.SetSignal(0);
    const auto [status, out] = Ctl({"connect"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find(Messages({ids::IDS_OUT_OF_SERVICE_CAPTION})), std::string::npos) << out;
}

TEST_F(ConnectCli, RefusesWhileEntriesDifferFromTheCard) {
    card.SetContext(3, "elsewhere.example");
    const auto [status, out] = Ctl({"connect"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find(Messages({ids::IDS_SYNC_CANCELLED_CAPTION})), std::string::npos) << out;
}

TEST_F(ConnectCli, UnknownEntryAndNoConnection) {
    auto [status, out] = Ctl({"connect", "nowhere.example"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("no entry named nowhere.example"), std::string::npos) << out;
    std::tie(status, out) = Ctl({"status"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("\"code\": 908"), std::string::npos) << out;
    std::tie(status, out) = Ctl({"disconnect"});
    EXPECT_EQ(status, 1);
}

// The data folder is shared: a status file planted there naming a process (this very
// test process) is no connection; `disconnect` signals nothing.
TEST_F(ConnectCli, DisconnectSignalsOnlyARunningConnect) {
    test::WriteFile(data.File("vr31kctl-connection.json"),
                    "{\"pid\": " + std::to_string(getpid()) + ", \"state\": \"connected\"}\n");
    const auto [status, out] = Ctl({"disconnect"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("\"code\": 908"), std::string::npos) << out;
    EXPECT_EQ(Ctl({"status"}).first, 1);
}

}  // namespace
}  // namespace vr31k

// vr31kctl connect refuses to dial where the utility refuses: no signal, entries that
// differ from the card, an unknown entry; status and disconnect without a connection.
#include "CardSimulator.h"
#include "CtlRun.h"
#include "common/StringIds.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace vr31k {
namespace {

class ConnectCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    test::CtlResult Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), {"--json", "--data-dir", data.Path(), "--port", card.PortPath()});
        return test::RunCtl(words);
    }
    static std::string Messages(int id) { return "\"messages\": [" + std::to_string(id) + "]"; }

    test::TempDir data;
    sim::CardSimulator card;
};

// Each refused with status 1 and the reason. The data folder is shared: a status file
// planted there naming a process (this very test process) is no connection, and
// `disconnect` signals nothing.
TEST_F(ConnectCli, RefusesWhereTheUtilityDoesAndFindsNoConnection) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::string> words;
        std::string told;  // in the output, when it matters
    } cases[] = {
        {"an unknown entry", [] {}, {"connect", "nowhere.example"}, "no entry named nowhere.example"},
        {"status without a connection", [] {}, {"status"}, "\"code\": 908"},
        {"disconnect without a connection", [] {}, {"disconnect"}, ""},
        {"disconnect with a planted status file",
         [&] {
             test::WriteFile(data.File("vr31kctl-connection.json"),
                             "{\"pid\": " + std::to_string(getpid()) + ", \"state\": \"connected\"}\n");
         },
         {"disconnect"}, "\"code\": 908"},
        {"status with a planted status file", [] {}, {"status"}, ""},
        {"entries that differ from the card", [&] { card.SetContext(3, "elsewhere.example"); }, {"connect"},
         Messages(ids::IDS_SYNC_CANCELLED_CAPTION)},
        {"no signal",
         [&] {
             card.SetContext(3, "");
             card.SetSignal(0);
         },
         {"connect"}, Messages(ids::IDS_OUT_OF_SERVICE_CAPTION)},
    };
    for (const auto& c : cases) {
        c.arrange();
        const test::CtlResult r = Ctl(c.words);
        EXPECT_EQ(r.status, 1) << c.what;
        if (!c.told.empty()) {
            EXPECT_NE(r.out.find(c.told), std::string::npos) << c.what << ": " << r.out;
        }
    }
}

}  // namespace
}  // namespace vr31k

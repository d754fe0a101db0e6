// status without a connection of ours: a link up over the card (a pppd left behind by
// a killed connect) is an outside connection; other links are not.
#include "cli/OutsideConnection.h"
#include "dialup/CWRasCtrl.h"
#include "support/ForwardingService.h"
#include "platform/linux/LinuxDialupService.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

class ListedLinks final : public test::CForwardingService {
public:
    ListedLinks(IDialupService& inner, std::vector<ConnectionInfo> links, bool counters)
        : CForwardingService(inner), m_links(std::move(links)), m_counters(counters) {}
    int EnumConnections(std::vector<ConnectionInfo>& out) override {
        out = m_links;
        return 0;
    }
    int GetConnectionStatistics(ConnHandle, ConnectionStats& out) override {
        if (!m_counters) return dialerr::kInvalidHandle;
        out = {2048, 1024, 65000, 64};
        return 0;
    }

private:
    std::vector<ConnectionInfo> m_links;
    bool m_counters;
};

ConnectionInfo Link(const std::string& device, uint32_t state) {
    ConnectionInfo link;
    link.handle = 77;
    link.deviceName = device;
    link.port = "/dev/ttyACM0";
    link.interfaceName = "ppp0";
    link.pid = 4321;
    link.state = state;
    return link;
}

TEST(OutsideConnection, OnlyALinkUpOverTheCardCounts) {
    const std::string card = std::string(kCardModemName) + " #2";
    struct Case {
        const char* what;
        std::vector<ConnectionInfo> links;
        bool counters;
        std::optional<std::string> json;  // nothing: no outside connection
    };
    const Case cases[] = {
        {"no link", {}, true, std::nullopt},
        {"another modem's link", {Link("Other Modem", dialstate::kConnected)}, true, std::nullopt},
        {"a link still dialling", {Link(card, dialstate::kAuthenticate)}, true, std::nullopt},
        {"over the card with its counters",
         {Link("Other Modem", dialstate::kConnected), Link(card, dialstate::kConnected)},
         true,
         R"({"state": "outside", "interface": "ppp0", "port": "/dev/ttyACM0", "pid": 4321, )"
         R"("duration": "00:01:05", "duration_s": 65, "sent": 2048, "recv": 1024, "volume": "3 kBytes", )"
         R"("hint": "vr31kctl connect adopts this connection and records it in the history when it ends"})"},
        {"over the card, counters gone",
         {Link(card, dialstate::kConnected)},
         false,
         R"({"state": "outside", "interface": "ppp0", "port": "/dev/ttyACM0", "pid": 4321, )"
         R"("hint": "vr31kctl connect adopts this connection and records it in the history when it ends"})"},
    };
    const auto inner = CreateLinuxDialupService(LinuxDialupConfig{});
    for (const Case& c : cases) {
        ListedLinks service(*inner, c.links, c.counters);
        const std::optional<cli::Json> figures = cli::OutsideConnectionFigures(service, 0);
        ASSERT_EQ(figures.has_value(), c.json.has_value()) << c.what;
        if (figures) {
            EXPECT_EQ(figures->Dump(), *c.json) << c.what;
        }
    }
    // With the any-device setting, as connect then adopts it, another modem's link counts.
    ListedLinks other(*inner, {Link("Other Modem", dialstate::kConnected)}, false);
    EXPECT_FALSE(cli::OutsideConnectionFigures(other, 0).has_value());
    EXPECT_TRUE(cli::OutsideConnectionFigures(other, 1).has_value());
}

}  // namespace
}  // namespace vr31k

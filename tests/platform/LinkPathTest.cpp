// Where a link's traffic and names go: the decisions over the route table and the
// resolver's settings, row by row; the kernel's own choice on real interfaces, and the
// connection test's one question, in a private network namespace.
#include "platform/linux/DefaultRoute.h"
#include "platform/linux/LinkNameServers.h"
#include "platform/linux/NameQuery.h"
#include "simlink/TunDevice.h"
#include "support/PrivateNetns.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace vr31k {
namespace {

using R = LinkRoute;

TEST(LinkPath, TheRouteAndTheNameServersAreDecidedFromWhatTheMachineSays) {
    EXPECT_EQ(ParseDefaultRoutes("Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n"
                                 "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\n"
                                 "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n"
                                 "wg0\t00000000\t00000000\t0000\t0\t0\t0\t00000000\n"      // down
                                 "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\n"   // no default
                                 "tun0\t00000000\t00000000\t0001\t0\t0\t0\t00000080\n"     // half of it
                                 "ppp1\tzz\t00000000\t0001\t0\t0\t0\t00000000\n"),
              (std::vector<DefaultRoute>{{"eth0", 100}, {"ppp0", 0}}));
    const struct {
        std::vector<DefaultRoute> defaults;
        std::optional<std::string> kernel;
        RouteFinding found;
    } routes[] = {
        {{{"eth0", 100}, {"ppp0", 0}}, std::nullopt, {R::Through, "", false, 0, {}}},
        {{{"ppp0", 700}, {"eth0", 100}}, std::nullopt, {R::Elsewhere, "eth0", true, 700, 100}},
        {{{"eth0", 0}, {"ppp0", 0}}, std::nullopt, {R::Elsewhere, "eth0", true, 0, 0}},  // the first of equals
        {{{"eth0", 100}}, "eth0", {R::Elsewhere, "eth0", true, {}, 100}},
        {{{"ppp0", 0}, {"tun0", 50}}, "tun0", {R::Elsewhere, "tun0", false, 0, {}}},  // a VPN's narrower routes
        {{{"eth0", 100}, {"ppp0", 0}}, "ppp0", {R::Through, "", false, 0, {}}},
        {{}, std::nullopt, {R::None, "", false, {}, {}}},
    };
    for (const auto& row : routes) EXPECT_EQ(DecideRoute("ppp0", row.defaults, row.kernel), row.found) << row.found.other;

    EXPECT_EQ(NameServersIn("# x\nnameserver 10.0.0.1\nsearch lan\n nameserver\tfd00::1\nnameservers 1.1.1.1\n"),
              (std::vector<std::string>{"10.0.0.1", "fd00::1"}));
    using M = ResolverManager;
    const ResolvedLinkView resolved{{BusReach::Ready, true, ""}, true, {"10.0.0.1"}, {}, true};
    ResolvedLinkView routesAll = resolved, routesNone = resolved;
    routesAll.defaultRoute = routesNone.defaultRoute = false;
    routesAll.domains = {"~."};
    const struct {
        NameServerFacts facts;
        LinkNames names;
    } names[] = {
        {{{"10.0.0.1"}, M::PlainFile, {"192.168.1.1", "10.0.0.1"}, false, {}}, LinkNames::Used},
        {{{"10.0.0.1"}, M::Resolvconf, {"192.168.1.1"}, false, {}}, LinkNames::NotUsed},
        {{{}, M::PlainFile, {"10.0.0.1"}, false, {}}, LinkNames::NoServers},
        {{{"10.0.0.1"}, M::Missing, {}, false, {}}, LinkNames::NotUsed},
        {{{"10.0.0.1"}, M::NetworkManager, {"127.0.0.1"}, false, {}}, LinkNames::Unknown},
        {{{"10.0.0.1"}, M::Other, {"10.0.0.1"}, false, {}}, LinkNames::Unknown},
        {{{"10.0.0.1"}, M::ResolvedStub, {"10.0.0.1"}, true, resolved}, LinkNames::Used},
        {{{"10.0.0.1"}, M::ResolvedStub, {"10.0.0.1"}, true, routesAll}, LinkNames::Used},
        {{{"10.0.0.1"}, M::ResolvedUplink, {"10.0.0.1"}, true, routesNone}, LinkNames::NotUsed},
        {{{"10.0.0.1"}, M::ResolvedStub, {}, true, ResolvedLinkView{}}, LinkNames::Unknown},  // the bus silent
    };
    for (const auto& row : names) EXPECT_EQ(DecideNames(row.facts), row.names) << ResolverManagerId(row.facts.manager);
}

// A name server on the loopback that answers `address` to the first question, or nothing.
std::thread Server(int fd, bool answers) {
    return std::thread([fd, answers] {
        unsigned char packet[512];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n = recvfrom(fd, packet, sizeof packet - 16, 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 12 || !answers) return;
        const unsigned char answer[] = {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 192, 0, 2, 7};
        packet[2] |= 0x80;  // a response
        packet[7] = 1;      // one answer
        std::copy(std::begin(answer), std::end(answer), packet + n);
        sendto(fd, packet, static_cast<size_t>(n) + sizeof answer, 0, reinterpret_cast<sockaddr*>(&from), size);
    });
}

TEST(LinkPath, TheKernelsChoiceOnRealInterfacesAndOneQuestionThroughAnInterface) {
    VR31K_IN_PRIVATE_NETNS();
    sim::TunDevice lan, link;
    ASSERT_TRUE(lan.Create("eth9") && lan.Configure("10.9.0.1", "10.9.0.2"));
    ASSERT_TRUE(link.Create("ppp9") && link.Configure("10.64.64.64", "10.64.64.65"));
    const auto ip = [](const std::string& words) { return std::system(("ip route add " + words).c_str()); };
    ASSERT_EQ(ip("default dev eth9 metric 100") + ip("default dev ppp9 metric 0"), 0);
    EXPECT_EQ(FindRoute("ppp9"), (RouteFinding{R::Through, "", false, 0, {}}));
    // A VPN's two halves of the address space take the traffic from the lower metric.
    ASSERT_EQ(ip("0.0.0.0/1 dev eth9") + ip("128.0.0.0/1 dev eth9"), 0);
    EXPECT_EQ(FindRoute("ppp9"), (RouteFinding{R::Elsewhere, "eth9", false, 0, {}}));

    for (const bool answers : {true, false}) {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&at), size) + getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size), 0);
        std::thread server = Server(fd, answers);
        const NameQueryResult r = QueryName("127.0.0.1", "lo", kTestName, std::chrono::milliseconds(300), ntohs(at.sin_port));
        server.join();
        close(fd);
        EXPECT_TRUE(r.sent) << r.error;
        EXPECT_EQ(r.bytesSent, 57u);  // 29 bytes of question, IP and UDP headers
        EXPECT_EQ(r.answered, answers);
        EXPECT_EQ(r.address, answers ? "192.0.2.7" : "");
        EXPECT_EQ(r.bytesReceived, answers ? 73u : 0u);
    }
    EXPECT_FALSE(QueryName("127.0.0.1", "nosuch0", kTestName, std::chrono::milliseconds(1)).sent);
}

}  // namespace
}  // namespace vr31k

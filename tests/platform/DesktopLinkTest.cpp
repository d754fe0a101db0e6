// The card's link made known to the desktop: NetworkManager (dbusmock's template, with
// the external connection's Update2 and the device's Reapply added) and systemd-resolved
// (a bare mock) on a private system bus; resolvconf as a script in a throw-away root.
#include "platform/linux/DesktopLink.h"
#include "support/PrivateSystemBus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace vr31k {
namespace {

constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr const char* kNm = "org.freedesktop.NetworkManager";
constexpr const char* kNmPath = "/org/freedesktop/NetworkManager";
constexpr const char* kDevice = "/org/freedesktop/NetworkManager/Devices/ppp0";
constexpr const char* kResolved = "org.freedesktop.resolve1";
constexpr const char* kResolvedPath = "/org/freedesktop/resolve1";
constexpr const char* kLink = "/org/freedesktop/resolve1/link/_37";
constexpr int kIfindex = 7;
// Update2 as NetworkManager answers it: the device's Metered follows connection.metered.
constexpr const char* kUpdate2 =
    "self.settings = args[0]; m = int(args[0]['connection'].get('metered', 0)); "
    "objects['/org/freedesktop/NetworkManager/Devices/ppp0'].Set('org.freedesktop.NetworkManager.Device', "
    "'Metered', dbus.UInt32({1: 1, 2: 2}.get(m, 4))); ret = dbus.Dictionary({}, signature='sv')";
constexpr const char* kRefuse =
    "raise dbus.exceptions.DBusException('not authorized', name='org.freedesktop.NetworkManager.PermissionDenied')";
constexpr const char* kSetDns =
    "objects['/org/freedesktop/resolve1/link/_37'].Set('org.freedesktop.resolve1.Link', 'DNS', args[1])";
constexpr const char* kSetDomains =
    "objects['/org/freedesktop/resolve1/link/_37'].Set('org.freedesktop.resolve1.Link', 'Domains', args[1])";
constexpr const char* kRevert =
    "l = objects['/org/freedesktop/resolve1/link/_37']; "
    "l.Set('org.freedesktop.resolve1.Link', 'DNS', dbus.Array([], signature='(iay)')); "
    "l.Set('org.freedesktop.resolve1.Link', 'Domains', dbus.Array([], signature='(sb)'))";

const char* ServiceOf(const std::string& path) { return path.find("resolve1") != std::string::npos ? kResolved : kNm; }

class DesktopLink : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus.SkipReason().empty()) GTEST_SKIP() << bus.SkipReason();
        ASSERT_EQ(bus.Error(), "");
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
        mkdir(root.File("etc").c_str(), 0755);
        mkdir(root.File("run").c_str(), 0700);
        link.interface = "ppp0";
        link.ifindex = kIfindex;
        link.servers = {"10.64.64.1", "10.64.64.2"};
        link.root = root.Path();
        link.runFolder = root.File("run/vr31k");
        link.resolvconf = root.File("resolvconf");
        link.deviceWait = std::chrono::milliseconds(0);
        test::WriteFile(link.resolvconf, "#!/bin/sh\ncase \"$1\" in -a) cat > " + root.File("$2") + ";; -d) rm " +
                                             root.File("$2") + ";; esac\n");
        chmod(link.resolvconf.c_str(), 0755);
    }
    void TearDown() override { unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    template <class... Args>
    std::string Mock(const char* path, const char* method, const char* types, Args... args) {
        return Call(path, kMock, method, types, args...);
    }
    template <class... Args>
    std::string Call(const char* path, const char* interface, const char* method, const char* types, Args... args) {
        sd_bus_message* reply = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int r =
            sd_bus_call_method(bus.Bus(), ServiceOf(path), path, interface, method, &error, &reply, types, args...);
        EXPECT_GE(r, 0) << method << ": " << (error.message ? error.message : "");
        const char* out = nullptr;
        char type = 0;
        if (r >= 0 && sd_bus_message_peek_type(reply, &type, nullptr) > 0 && (type == 's' || type == 'o')) {
            sd_bus_message_read_basic(reply, type, &out);
        }
        std::string text = out != nullptr ? out : "";
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        return text;
    }
    // NetworkManager with ppp0 as an external device running a generated connection.
    void StartNetworkManager(const char* update2) {
        ASSERT_TRUE(bus.StartMock({"-t", "networkmanager"}, kNm)) << bus.Error();
        Mock(kNmPath, "AddEthernetDevice", "ssi", "ppp0", "ppp0", 100);
        Mock(kDevice, "AddProperty", "ssv", "org.freedesktop.NetworkManager.Device", "Metered", "u", 4u);
        Mock(kNmPath, "AddProperty", "ssv", kNm, "Metered", "u", 4u);
        const std::string connection =
            Call("/org/freedesktop/NetworkManager/Settings", "org.freedesktop.NetworkManager.Settings",
                 "AddConnectionUnsaved", "a{sa{sv}}", 2, "connection", 3, "id", "s", "ppp0", "uuid", "s", "9e1f",
                 "type", "s", "generic", "ipv4", 1, "method", "s", "manual");
        Mock(connection.c_str(), "AddProperty", "ssv", "org.freedesktop.NetworkManager.Settings.Connection", "Flags",
             "u", 0xeu);
        Mock(connection.c_str(), "AddMethod", "sssss", "org.freedesktop.NetworkManager.Settings.Connection", "Update2",
             "a{sa{sv}}ua{sv}", "a{sv}", update2);
        Mock(kDevice, "AddMethod", "sssss", "org.freedesktop.NetworkManager.Device", "Reapply", "a{sa{sv}}tu", "", "");
        Mock(kNmPath, "AddActiveConnection", "assssu", 1, kDevice, connection.c_str(), "/", "ppp0", 2u);
        m_connection = connection;
    }
    void StartResolved() {
        ASSERT_TRUE(bus.StartMock({"-m", kResolved, kResolvedPath, "org.freedesktop.resolve1.Manager"}, kResolved))
            << bus.Error();
        Mock(kResolvedPath, "AddObject", "ssa{sv}a(ssss)", kLink, "org.freedesktop.resolve1.Link", 3, "DNS", "a(iay)",
             0, "Domains", "a(sb)", 0, "DefaultRoute", "b", 1, 0);
        const std::string manager = "org.freedesktop.resolve1.Manager";
        Mock(kResolvedPath, "AddMethod", "sssss", manager.c_str(), "GetLink", "i", "o",
             "ret = '/org/freedesktop/resolve1/link/_37'");
        Mock(kResolvedPath, "AddMethod", "sssss", manager.c_str(), "SetLinkDNS", "ia(iay)", "", kSetDns);
        Mock(kResolvedPath, "AddMethod", "sssss", manager.c_str(), "SetLinkDomains", "ia(sb)", "", kSetDomains);
        Mock(kResolvedPath, "AddMethod", "sssss", manager.c_str(), "RevertLink", "i", "", kRevert);
    }
    void ResolvConf(const std::string& linkTarget, const std::string& text = {}) {
        if (!linkTarget.empty())
            ASSERT_EQ(symlink(linkTarget.c_str(), root.File("etc/resolv.conf").c_str()), 0);
        else
            test::WriteFile(root.File("etc/resolv.conf"), text);
    }
    // The mock's calls of `method` on `path`.
    int Calls(const char* path, const char* method) {
        sd_bus_message* reply = nullptr;
        int count = 0;
        if (sd_bus_call_method(bus.Bus(), ServiceOf(path), path, kMock, "GetMethodCalls", nullptr, &reply, "s",
                               method) >= 0) {
            sd_bus_message_enter_container(reply, 'a', "(tav)");
            while (sd_bus_message_skip(reply, "(tav)") > 0) ++count;
        }
        sd_bus_message_unref(reply);
        return count;
    }

    test::PrivateSystemBus bus;
    test::TempDir root;
    DesktopLinkInput link;
    std::string m_connection;
};

std::string Up(const DesktopLinkInput& link, int& status) {
    std::ostringstream err;
    status = DesktopLinkUp(link, err);
    return err.str();
}

struct MeteredCase {
    const char* what;
    bool networkManager;
    const char* update2;
    bool setting;
    int status;
    DesktopResult result;
    NmMetered whileUp;
    int updates;  // Update2 calls, up and down
};

TEST_F(DesktopLink, TheLinkIsMeteredForNetworkManagerWhileUpAndRefusalsAreReported) {
    const std::vector<MeteredCase> cases = {
        {"metered while up, undone after", true, kUpdate2, true, 0, DesktopResult::Done, NmMetered::Yes, 2},
        {"polkit's refusal", true, kRefuse, true, 2, DesktopResult::Refused, NmMetered::GuessNo, 1},
        {"the setting off", true, kUpdate2, false, 0, DesktopResult::NotAsked, NmMetered::GuessNo, 0},
        {"no NetworkManager", false, "", true, 0, DesktopResult::Nothing, NmMetered::Unknown, 0},
    };
    ResolvConf("", "nameserver 192.168.1.1\n");
    for (const MeteredCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.networkManager) StartNetworkManager(c.update2);
        link.metered = c.setting;
        int status = -1;
        const std::string told = Up(link, status);
        EXPECT_EQ(status, c.status) << told;
        EXPECT_EQ(told.find("refused: org.freedesktop.NetworkManager.PermissionDenied") != std::string::npos,
                  c.result == DesktopResult::Refused)
            << told;
        const auto report = ReadDesktopLinkReport("ppp0", link.runFolder);
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->metered, c.result) << report->meteredWhy;
        EXPECT_EQ(report->manager, ResolverManager::PlainFile);
        EXPECT_EQ(report->servers, DesktopResult::Nothing);
        EXPECT_EQ(LookAtNetworkManager("ppp0").device, c.whileUp);
        std::ostringstream err;
        EXPECT_EQ(DesktopLinkDown(link, err), 0) << err.str();
        EXPECT_EQ(LookAtNetworkManager("ppp0").device, c.networkManager ? NmMetered::GuessNo : NmMetered::Unknown);
        EXPECT_EQ(c.networkManager ? Calls(m_connection.c_str(), "Update2") : 0, c.updates);
        EXPECT_FALSE(ReadDesktopLinkReport("ppp0", link.runFolder).has_value());
        bus.StopMocks();
    }
}

TEST_F(DesktopLink, TheLinksServersGoToTheManagerOfResolvConfAndComeBackAfter) {
    StartResolved();
    link.metered = false;
    int status = -1;
    ResolvConf("../run/systemd/resolve/stub-resolv.conf");
    EXPECT_EQ(Up(link, status), "");
    EXPECT_EQ(status, 0);
    ResolvedLinkView seen = LookAtResolvedLink(kIfindex);
    EXPECT_EQ(seen.servers, link.servers);
    EXPECT_EQ(seen.domains, std::vector<std::string>{"~."});
    std::ostringstream err;
    EXPECT_EQ(DesktopLinkDown(link, err), 0) << err.str();
    EXPECT_TRUE(LookAtResolvedLink(kIfindex).servers.empty());
    EXPECT_EQ(Calls(kResolvedPath, "RevertLink"), 1);

    // resolvconf: a record of the link's own, taken away after; none beside its ppp hook.
    unlink(root.File("etc/resolv.conf").c_str());
    ResolvConf("/run/resolvconf/resolv.conf");
    EXPECT_EQ(Up(link, status), "");
    EXPECT_EQ(test::ReadFile(root.File("ppp0.vr31k")), "nameserver 10.64.64.1\nnameserver 10.64.64.2\n");
    EXPECT_EQ(DesktopLinkDown(link, err), 0) << err.str();
    EXPECT_NE(access(root.File("ppp0.vr31k").c_str(), F_OK), 0);
    mkdir(root.File("etc/ppp").c_str(), 0755);
    mkdir(root.File("etc/ppp/ip-up.d").c_str(), 0755);
    test::WriteFile(root.File("etc/ppp/ip-up.d/000resolvconf"), "");
    Up(link, status);
    EXPECT_NE(access(root.File("ppp0.vr31k").c_str(), F_OK), 0);
    EXPECT_EQ(ReadDesktopLinkReport("ppp0", link.runFolder)->servers, DesktopResult::Nothing);

    // systemd-resolved's file in place without it running: names cannot resolve.
    DesktopLinkDown(link, err);
    bus.StopMocks();
    unlink(root.File("etc/resolv.conf").c_str());
    ResolvConf("/run/systemd/resolve/resolv.conf");
    EXPECT_NE(Up(link, status).find("org.freedesktop.resolve1 is not running"), std::string::npos);
    EXPECT_EQ(status, 2);
}

TEST_F(DesktopLink, NetworkManagerWritingTheFileGetsTheServersOnTheLinksConnection) {
    StartNetworkManager(kUpdate2);
    ResolvConf("", "# Generated by NetworkManager\nnameserver 192.168.1.1\n");
    int status = -1;
    const std::string told = Up(link, status);
    EXPECT_EQ(status, 0) << told;
    EXPECT_EQ(LookAtNetworkManager("ppp0").device, NmMetered::Yes);
    // Servers and metered are changed, and put back, apart; the servers with a Reapply.
    std::ostringstream err;
    EXPECT_EQ(DesktopLinkDown(link, err), 0) << err.str();
    EXPECT_EQ(Calls(m_connection.c_str(), "Update2"), 4);
    EXPECT_EQ(Calls(kDevice, "Reapply"), 2);
    EXPECT_EQ(LookAtNetworkManager("ppp0").device, NmMetered::GuessNo);
}

TEST(ResolverManagerTest, TheManagerIsToldFromTheNameItselfNeverFollowed) {
    const std::vector<std::tuple<std::string, std::string, ResolverManager>> cases = {
        {"", "", ResolverManager::Missing},
        {"", "nameserver 10.0.0.1\n", ResolverManager::PlainFile},
        {"", "# Generated by NetworkManager\nnameserver 10.0.0.1\n", ResolverManager::NetworkManager},
        {"", "# Generated by resolvconf\nnameserver 10.0.0.1\n", ResolverManager::Openresolv},
        {"../run/systemd/resolve/stub-resolv.conf", "", ResolverManager::ResolvedStub},
        {"/usr/lib/systemd/resolv.conf", "", ResolverManager::ResolvedStub},
        {"/var/run/systemd/resolve/resolv.conf", "", ResolverManager::ResolvedUplink},
        {"../run/resolvconf/resolv.conf", "", ResolverManager::Resolvconf},
        {"/run/NetworkManager/resolv.conf", "", ResolverManager::NetworkManager},
        {"/home/someone/resolv.conf", "", ResolverManager::Other},
    };
    for (const auto& [target, text, manager] : cases) {
        SCOPED_TRACE(target + text);
        test::TempDir root;
        mkdir(root.File("etc").c_str(), 0755);
        if (!target.empty()) symlink(target.c_str(), root.File("etc/resolv.conf").c_str());
        if (!text.empty()) test::WriteFile(root.File("etc/resolv.conf"), text);
        EXPECT_EQ(DetectResolverManager(root.Path()), manager);
    }
}

}  // namespace
}  // namespace vr31k

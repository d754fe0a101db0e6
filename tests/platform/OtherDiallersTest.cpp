// Links of other diallers, found in a fake /sys/class/net and /run tree.
#include "platform/linux/OtherDiallers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vr31k {
namespace {

using test::TempDir;
using test::WriteFile;

void FakeLink(const TempDir& root, const std::string& name, unsigned flags, int ifindex) {
    const std::string dir = root.File("net/" + name);
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    WriteFile(dir + "/flags", "0x" + std::to_string(flags) + "\n");
    WriteFile(dir + "/ifindex", std::to_string(ifindex) + "\n");
}

TEST(OtherDiallers, UpLinksOfOthersWithTheirProcessPeerAndTty) {
    TempDir root;
    ASSERT_EQ(mkdir(root.File("net").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(root.File("run").c_str(), 0755), 0);
    // A dialler that was started as "... call other-isp /dev/ttyUSB9".
    const pid_t dialler = fork();
    ASSERT_GE(dialler, 0);
    if (dialler == 0) {
        setpgid(0, 0);  // killed whole below, its sleep too (which would hold ctest's output open)
        execl("/bin/sh", "sh", "-c", "sleep 30", "sh", "call", "other-isp", "/dev/ttyUSB9", static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(dialler, dialler);  // both sides, whichever runs first
    std::string cmdline;  // wait until the child runs the dialler's command line
    for (int i = 0; i < 500 && cmdline.find("other-isp") == std::string::npos; ++i) {
        usleep(2000);
        std::ifstream in("/proc/" + std::to_string(dialler) + "/cmdline");
        cmdline.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    FakeLink(root, "ppp0", 0x1091, 5);  // up, pppd's pid file names the dialler
    WriteFile(root.File("run/ppp0.pid"), std::to_string(dialler) + "\n");
    FakeLink(root, "ppp1", 0x1091, 7);  // up, no pid file
    FakeLink(root, "ppp2", 0x1090, 8);  // down
    FakeLink(root, "ppp3", 0x1091, 9);  // ours
    FakeLink(root, "ppp4", 0x1091, 11);  // its process is gone
    WriteFile(root.File("run/ppp4.pid"), "999999999\n");
    FakeLink(root, "eth0", 0x1003, 2);

    const auto device = [](const std::string& port, std::string& type) {
        if (port != "/dev/ttyUSB9") return std::string();
        type = "modem";
        return std::string("KORVANE VR31K Modem");
    };
    const std::vector<ConnectionInfo> links =
        FindOtherDiallerLinks({root.File("net"), root.File("run"), root.File("locks")}, {"ppp3"}, device);
    kill(-dialler, SIGKILL);
    waitpid(dialler, nullptr, 0);

    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].interfaceName, "ppp0");
    EXPECT_EQ(links[0].pid, dialler);
    EXPECT_EQ(links[0].handle, static_cast<ConnHandle>(dialler));
    EXPECT_EQ(links[0].entryName, "other-isp");
    EXPECT_EQ(links[0].port, "/dev/ttyUSB9");
    EXPECT_EQ(links[0].deviceName, "KORVANE VR31K Modem");
    EXPECT_EQ(links[0].deviceType, "modem");
    EXPECT_EQ(links[0].state, dialstate::kConnected);
    EXPECT_EQ(links[1].interfaceName, "ppp1");
    EXPECT_EQ(links[1].handle, kInterfaceHandleTag | 7);
    EXPECT_EQ(links[1].entryName, "ppp1");
    EXPECT_EQ(links[1].pid, 0);
    EXPECT_EQ(links[2].interfaceName, "ppp4");
    EXPECT_EQ(links[2].pid, 0) << "a pid file of a process that is gone is not believed";
    EXPECT_EQ(links[2].handle, kInterfaceHandleTag | 11);
}

}  // namespace
}  // namespace vr31k

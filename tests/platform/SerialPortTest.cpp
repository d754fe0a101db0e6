// The card's tty opened exclusively is left openable at close: with a port that outlives
// the program (the simulator's pseudo-terminal), a user's next command must not find it
// busy. Exclusive mode does not stop root, so this runs as an ordinary user.
#include "platform/linux/Machine.h"
#include "support/ProcessRun.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

TEST(SerialPortClose, LeavesThePortOpenableForItsUser) {
    VR31K_THROWAWAY_USER(user);
    const int status = RunInChild(user.get(), [] {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return 2;
        const std::string slave = ptsname(master);
        auto port = MakeSerialPort();
        if (port->Open(slave, true) != SerialOpenResult::Ok) return 3;
        if (!port->Close()) return 4;
        const int again = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (again < 0) return errno == EBUSY ? 10 : 5;  // 10: still exclusive
        close(again);
        close(master);
        return 0;
    });
    EXPECT_EQ(status, 0) << (status == 10 ? "the tty stayed exclusive after close" : "set-up failed");
}

}  // namespace

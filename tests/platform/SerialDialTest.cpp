// The simulated link's serial dial against a pseudo-terminal playing the modem.
#include "support/FakeModem.h"
#include "platform/DialupService.h"
#include "simlink/SerialDial.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace vr31k {
namespace {

TEST(SerialDial, AnswersMapToOutcomes) {
    struct Case {
        const char* reply;
        int expected;
    };
    const std::vector<Case> cases = {
        {"CONNECT 7200000", 0},
        {"NO CARRIER", dialerr::kNoAnswer},
        {"ERROR", dialerr::kFromDevice},
        {"BUSY", dialerr::kLineBusy},
        {"NO DIALTONE", dialerr::kNoDialtone},
        {"", dialerr::kNoAnswer},  // silence until the answer time-out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        test::CFakeModem modem(c.reply);
        ASSERT_TRUE(modem.Ok());
        const int fd = sim::OpenModemPort(modem.Port());
        ASSERT_GE(fd, 0);
        std::vector<std::string> log;
        EXPECT_EQ(sim::DialOverSerial(fd, "*99***3#", 300, [&](const std::string& l) { log.push_back(l); }),
                  c.expected);
        close(fd);
        EXPECT_NE(modem.Received().find("AT\r"), std::string::npos);
        EXPECT_NE(modem.Received().find("ATD*99***3#\r"), std::string::npos) << "the dial string is sent";
        EXPECT_EQ(log.front(), "send (AT^M)");
    }
}

TEST(SerialDial, LineDroppedWhileWaitingIsAHangUp) {
    test::CFakeModem modem("", false);
    ASSERT_TRUE(modem.Ok());
    const int fd = sim::OpenModemPort(modem.Port());
    ASSERT_GE(fd, 0);
    std::thread drop([&] {
        usleep(200000);
        modem.HangUp();
    });
    EXPECT_EQ(sim::DialOverSerial(fd, "*99***1#", 5000, [](const std::string&) {}), dialerr::kPortDisconnected);
    drop.join();
    close(fd);
}

}  // namespace
}  // namespace vr31k

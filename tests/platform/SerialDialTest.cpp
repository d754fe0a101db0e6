// The simulated link's serial dial against a pseudo-terminal playing the modem.
#include "support/FakeModem.h"
#include "platform/DialupService.h"
#include "simlink/SerialDial.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace vr31k {
namespace {

// Each answer to the dial has its outcome; silence ends at the answer time-out, and a
// line dropped while waiting is a hang-up.
TEST(SerialDial, AnswersMapToOutcomes) {
    struct Case {
        const char* reply;
        int expected;
        bool lineDrops = false;
    };
    const std::vector<Case> cases = {
        {"CONNECT 7200000", 0},
        {"NO CARRIER", dialerr::kNoAnswer},
        {"ERROR", dialerr::kFromDevice},
        {"BUSY", dialerr::kLineBusy},
        {"NO DIALTONE", dialerr::kNoDialtone},
        {"", dialerr::kNoAnswer},  // silence until the answer time-out
        {"", dialerr::kPortDisconnected, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reply) + (c.lineDrops ? " and the line drops" : ""));
        test::CFakeModem modem(c.reply);
        ASSERT_TRUE(modem.Ok());
        const int fd = sim::OpenModemPort(modem.Port());
        ASSERT_GE(fd, 0);
        std::thread drop([&] {
            if (!c.lineDrops) return;
            usleep(200000);
            modem.HangUp();
        });
        std::vector<std::string> log;
        EXPECT_EQ(sim::DialOverSerial(fd, "*99***3#", c.lineDrops ? 5000 : 300,
                                      [&](const std::string& l) { log.push_back(l); }),
                  c.expected);
        drop.join();
        close(fd);
        EXPECT_NE(modem.Received().find("AT\r"), std::string::npos);
        EXPECT_NE(modem.Received().find("ATD*99***3#\r"), std::string::npos) << "the dial string is sent";
        EXPECT_EQ(log.front(), "send (AT^M)");
    }
}

}  // namespace
}  // namespace vr31k

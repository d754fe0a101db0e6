// Dial states and error numbers from recorded pppd logs (transcripts/).
#include "platform/DialupService.h"
#include "platform/linux/PppdLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vr31k {
namespace {

struct Transcript {
    const char* file;
    int exitStatus;
    bool endedByUs;
    std::vector<uint32_t> states;
    int error;
    const char* interfaceName;
};

using namespace dialstate;

const std::vector<Transcript> kTranscripts = {
    {"connect-pap.log", 0, false, {kConnectDevice, kDeviceConnected, kAuthenticate, kAuthenticated, kConnected}, 0, "ppp0"},
    {"connect-chap.log", 0, false, {kConnectDevice, kDeviceConnected, kAuthenticate, kAuthenticated, kConnected}, 0, "ppp1"},
    {"no-carrier.log", 8, false, {kConnectDevice}, dialerr::kNoAnswer, ""},
    {"modem-error.log", 8, false, {kConnectDevice}, dialerr::kFromDevice, ""},
    {"answer-timeout.log", 8, false, {}, dialerr::kNoAnswer, ""},
    {"pap-rejected.log", 19, false, {kConnectDevice, kDeviceConnected, kAuthenticate}, dialerr::kAuthenticationFailure, "ppp0"},
    {"port-locked.log", 6, false, {}, dialerr::kPortNotAvailable, ""},
    {"port-permission.log", 7, false, {}, dialerr::kPortNotAvailable, ""},
    {"no-kernel-ppp.log", 4, false, {}, dialerr::kDeviceDoesNotExist, ""},
    {"peers-missing.log", 2, false, {}, dialerr::kFileNotOpened, ""},
    {"lcp-timeout.log", 10, false, {kConnectDevice, kDeviceConnected}, dialerr::kPppTimeout, "ppp0"},
    {"peer-terminated.log", 16, false, {kConnectDevice, kDeviceConnected}, dialerr::kDisconnection, "ppp0"},
    {"hangup-by-us.log", 5, true, {kConnectDevice, kDeviceConnected}, dialerr::kUserDisconnection, "ppp0"},
};

TEST(PppdLog, TranscriptsGiveTheirStatesAndErrors) {
    for (const Transcript& t : kTranscripts) {
        SCOPED_TRACE(t.file);
        const std::string text = test::ReadFile(std::string(TRANSCRIPTS) + "/" + t.file);
        ASSERT_FALSE(text.empty());
        PppdLogReader reader;
        std::vector<uint32_t> states;
        std::string interfaceName;
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            const auto event = reader.Feed(line);
            if (event.state) states.push_back(*event.state);
            if (!event.interfaceName.empty()) interfaceName = event.interfaceName;
        }
        EXPECT_EQ(states, t.states);
        EXPECT_EQ(reader.Finish(t.exitStatus, t.endedByUs), t.error);
        EXPECT_EQ(interfaceName, t.interfaceName);
    }
}

TEST(PppdLog, ExitStatusDecidesWhenNoLineDid) {
    const std::vector<std::pair<int, int>> cases = {
        {3, dialerr::kAccessDenied}, {6, dialerr::kPortNotAvailable}, {8, dialerr::kNoAnswer},
        {11, dialerr::kAuthenticationFailure}, {16, dialerr::kPortDisconnected}, {1, dialerr::kUnknown},
        {0, dialerr::kDisconnection},  // a clean exit that never came up still failed
    };
    for (const auto& [status, error] : cases) {
        PppdLogReader reader;
        reader.Feed("Serial connection established.");
        EXPECT_EQ(reader.Finish(status, false), error) << status;
    }
}

TEST(PppdLog, LinesAfterTheLinkIsUpChangeNothing) {
    PppdLogReader reader;
    reader.Feed("local  IP address 10.0.0.1");
    EXPECT_FALSE(reader.Feed("PAP authentication failed").state);
    EXPECT_FALSE(reader.Feed("Serial connection established.").state);
    EXPECT_EQ(reader.Finish(16, false), 0) << "a link that came up is not a failed dial";
}

}  // namespace
}  // namespace vr31k

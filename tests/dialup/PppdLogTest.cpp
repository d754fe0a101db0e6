// Dial states and error numbers from recorded pppd logs (transcripts/).
#include "dialup/DialFailureCause.h"
#include "platform/DialupService.h"
#include "platform/linux/CardErrorReport.h"
#include "platform/linux/PppdLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
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
    const char* cause;  // a part of the sentence that names the cause
};

using namespace dialstate;

const std::vector<Transcript> kTranscripts = {
    {"connect-pap.log", 0, false, {kConnectDevice, kDeviceConnected, kAuthenticate, kAuthenticated, kConnected}, 0, "ppp0", ""},
    {"connect-chap.log", 0, false, {kConnectDevice, kDeviceConnected, kAuthenticate, kAuthenticated, kConnected}, 0, "ppp1", ""},
    {"no-carrier.log", 8, false, {kConnectDevice}, dialerr::kNoAnswer, "", "NO CARRIER"},
    {"modem-error.log", 8, false, {kConnectDevice}, dialerr::kFromDevice, "", "refused the dial (ERROR)"},
    {"answer-timeout.log", 8, false, {}, dialerr::kNoAnswer, "", "did not answer the dial in time"},
    {"pap-rejected.log", 19, false, {kConnectDevice, kDeviceConnected, kAuthenticate}, dialerr::kAuthenticationFailure, "ppp0", "(PAP)"},
    {"port-locked.log", 6, false, {}, dialerr::kPortNotAvailable, "", "lock file"},
    {"port-permission.log", 7, false, {}, dialerr::kPortNotAvailable, "", "could not open the card's port"},
    {"no-kernel-ppp.log", 4, false, {}, dialerr::kDeviceDoesNotExist, "", "modprobe ppp_generic"},
    {"peers-missing.log", 2, false, {}, dialerr::kFileNotOpened, "", "/etc/ppp/peers/vr31k-utility"},
    {"lcp-timeout.log", 10, false, {kConnectDevice, kDeviceConnected}, dialerr::kPppTimeout, "ppp0", "never answered PPP"},
    {"peer-terminated.log", 16, false, {kConnectDevice, kDeviceConnected}, dialerr::kDisconnection, "ppp0", "closed the link"},
    {"cme-refused.log", 8, false, {kConnectDevice}, dialerr::kFromDevice, "",
     "(the card said: +CME ERROR: requested service option not subscribed)"},
    {"hangup-by-us.log", 5, true, {kConnectDevice, kDeviceConnected}, dialerr::kUserDisconnection, "ppp0", "cancelled"},
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
        const std::string cause = reader.Cause(t.exitStatus, t.endedByUs);
        if (*t.cause == '\0') EXPECT_EQ(cause, "");
        else EXPECT_NE(cause.find(t.cause), std::string::npos) << cause;
    }
}

// When no line of the log named the cause, the exit status decides the error, and every
// exit status of pppd(8) has its own sentence, naming the status.
TEST(PppdLog, ExitStatusDecidesWhenNoLineDid) {
    const std::map<int, int> errors = {
        {3, dialerr::kAccessDenied}, {6, dialerr::kPortNotAvailable}, {8, dialerr::kNoAnswer},
        {11, dialerr::kAuthenticationFailure}, {16, dialerr::kPortDisconnected}, {1, dialerr::kUnknown},
        {0, dialerr::kDisconnection},  // a clean exit that never came up still failed
    };
    std::set<std::string> seen;
    for (int status = 0; status <= 21; ++status) {
        PppdLogReader reader;
        reader.Feed("Serial connection established.");
        const std::string cause = reader.Cause(status, false);
        if (status != 0) {
            EXPECT_NE(cause.find("status " + std::to_string(status)), std::string::npos) << cause;
            EXPECT_TRUE(seen.insert(cause).second) << cause;
        }
        if (errors.count(status) != 0) {
            EXPECT_EQ(reader.Finish(status, false), errors.at(status)) << status;
        }
    }
    EXPECT_EQ(PppdLogReader().Cause(4, true), "the dial was cancelled") << "our own hang-up is no fault";
}

// The card's answer to AT+CEER after a refused dial: its reason, printable, or nothing.
TEST(PppdLog, TheCardsErrorReportIsItsReasonOrNothing) {
    const std::pair<std::string, std::string> replies[] = {
        {"\r\n+CEER: Missing or unknown APN\r\n\r\nOK\r\n", "+CEER: Missing or unknown APN"},
        {"AT+CEER\r\r\n+CEER:   SIM not ready  \r\nOK\r\n", "+CEER: SIM not ready"},
        {"\r\n+CEER: \r\n\r\nOK\r\n", ""},
        {"\r\nOK\r\n", ""},
        {"\r\nERROR\r\n", ""},
        {std::string("+CEER: a\x1b[2J\0b", 14), "+CEER: a?[2J?b"},
    };
    for (const auto& [reply, reason] : replies) EXPECT_EQ(ErrorReportIn(reply), reason) << reply;
    PppdLogReader asked;
    EXPECT_TRUE(asked.WantsCardReason(8, false));
    EXPECT_FALSE(asked.WantsCardReason(8, true)) << "our own hang-up";
    EXPECT_FALSE(asked.WantsCardReason(19, false)) << "the card let the dial through";
    asked.Feed("NO CARRIER +CME ERROR: no network service");
    EXPECT_FALSE(asked.WantsCardReason(8, false)) << "it said why already";
}

// Each error a dial can end with names its cause in a sentence of its own, the service's
// words following as they came; a number nobody knows is shown as it is. The diagnosis is
// offered only where a check looks at the cause.
TEST(PppdLog, DialFailureCauseNamesEveryDialError) {
    using namespace dialerr;
    const struct {
        int code;
        const char* part;  // of the sentence
        bool diagnosable;
    } cases[] = {
        {kAccessDenied, "sudo adduser $USER dip", true}, {kDeviceDoesNotExist, "sudo modprobe ppp_generic", true},
        {kPortDisconnected, "回線を切断", false},         {kDisconnection, "APN", false},
        {kPortNotAvailable, "vr31kctl doctor", true},     {kUnknown, "journalctl -t pppd", false},
        {kFromDevice, "vr31kctl entries sync", true},     {kFileNotOpened, "scripts/setup.sh", true},
        {kLineBusy, "混み合って", false},                 {kNoAnswer, "APN", false},
        {kNoDialtone, "SIM", true},                       {kAuthenticationFailure, "パスワード", false},
        {kPppTimeout, "PPP", false},                      {kPppNoProtocols, "IP アドレス", false},
        {kEntryNotFound, "vr31kctl entries sync", false}, {4242, "4242", false},
    };
    std::set<std::string> seen;
    for (const auto& c : cases) {
        const std::string cause = DialFailureCause(c.code, "");
        EXPECT_NE(cause.find(c.part), std::string::npos) << cause;
        EXPECT_TRUE(seen.insert(cause).second) << "a sentence of its own: " << cause;
        EXPECT_EQ(DiagnosisNamesDialFailure(c.code), c.diagnosable) << c.code;
    }
    const std::string said = "the card refused the dial (ERROR) (the card said: +CME ERROR: no network service)";
    EXPECT_EQ(DialFailureCause(kFromDevice, said), DialFailureCause(kFromDevice, "") + "\n詳細: " + said);
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

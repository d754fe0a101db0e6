// Dialling through a real child process standing in for pppd: what it receives, the
// notices its log produces, setup failures, and a bounded hang-up; ModemManager kept
// off the card for as long as the dialler may have its tty.
#include "support/DialHarness.h"
#include "platform/linux/PppdCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vr31k {
namespace {

using namespace std::chrono_literals;

std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

struct Record {
    std::vector<std::string> argv;
    std::string password;
    std::string options;
};

Record ReadRecord(const std::string& path) {
    Record r;
    std::istringstream lines(test::ReadFile(path));
    std::string tag, value;
    while (lines >> tag) {
        std::getline(lines, value);
        value = value.empty() ? value : value.substr(1);
        if (tag == "ARG") r.argv.push_back(Unhex(value));
        if (tag == "PASSWORD") r.password = Unhex(value);
        if (tag == "OPTIONS") r.options = Unhex(value);
    }
    return r;
}

void UseTranscript(const char* name, int exitStatus) {
    setenv("FAKE_PPPD_TRANSCRIPT", (std::string(TRANSCRIPTS) + "/" + name).c_str(), 1);
    setenv("FAKE_PPPD_EXIT", std::to_string(exitStatus).c_str(), 1);
    unsetenv("FAKE_PPPD_STAY");
    unsetenv("FAKE_PPPD_IGNORE_TERM");
}

bool WaitGone(IDialupService& service, ConnHandle handle) {
    for (int i = 0; i < 500; ++i) {
        uint32_t state;
        int error;
        if (service.GetConnectStatus(handle, state, error) == dialerr::kInvalidHandle) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(DialService, CredentialsReachTheDiallerExactlyAndNowhereElse) {
    const std::vector<std::pair<std::string, std::string>> credentials = {
        {"o'brien \"q\" $HOME `id`", "pa ss\"$(id)`x`\nnoauth\\"},
        {"", ""},
        {"ユーザー", std::string(kMaxCredentialLength, 'p')},
    };
    for (const auto& [user, password] : credentials) {
        test::DialHarness h;
        const std::string record = h.dir.File("record");
        setenv("FAKE_PPPD_RECORD", record.c_str(), 1);
        UseTranscript("connect-pap.log", 0);
        test::CDialNotices notices;
        ConnHandle handle = 0;
        ASSERT_EQ(h.service->Dial(h.pbk, {"apn.example", "", user, password}, notices.Notifier(), handle), 0)
            << h.service->LastErrorDetail();
        ASSERT_TRUE(notices.WaitForEnd());
        ASSERT_TRUE(WaitGone(*h.service, handle));

        const Record r = ReadRecord(record);
        EXPECT_EQ(r.password, password);
        const auto words = SplitPppdWords(r.options);
        const auto userAt = std::find(words.begin(), words.end(), "user");
        ASSERT_NE(userAt, words.end());
        EXPECT_EQ(*(userAt + 1), user);
        EXPECT_NE(std::find(words.begin(), words.end(), h.modem.Port()), words.end());
        for (const std::string& arg : r.argv) {
            if (!user.empty()) {
                EXPECT_EQ(arg.find(user), std::string::npos);
            }
            if (!password.empty()) {
                EXPECT_EQ(arg.find(password), std::string::npos);
            }
        }
        // The per-dial folder (options file, chat script) is gone once the dial is over.
        for (const auto& entry : std::filesystem::directory_iterator(h.dir.Path())) {
            EXPECT_EQ(entry.path().filename().string().rfind("vr31k-dial-", 0), std::string::npos);
        }
    }
    unsetenv("FAKE_PPPD_RECORD");
}

TEST(DialService, ProgressAndFailuresFromTheDiallersLog) {
    struct Case {
        const char* transcript;
        int exitStatus;
        std::vector<std::pair<uint32_t, int>> notices;
        const char* cause;  // a part of LastErrorDetail() once the dial has failed
        const char* errorReport = "";  // the card's answer to AT+CEER after the dial
    };
    using namespace dialstate;
    const std::vector<Case> cases = {
        {"connect-chap.log", 0,
         {{kOpenPort, 0}, {kConnectDevice, 0}, {kDeviceConnected, 0}, {kAuthenticate, 0}, {kAuthenticated, 0},
          {kConnected, 0}},
         ""},
        {"no-carrier.log", 8, {{kOpenPort, 0}, {kConnectDevice, 0}, {kConnectDevice, dialerr::kNoAnswer}},
         "NO CARRIER"},
        {"no-carrier.log", 8, {{kOpenPort, 0}, {kConnectDevice, 0}, {kConnectDevice, dialerr::kNoAnswer}},
         "(the card said: +CEER: Missing or unknown APN)", "Missing or unknown APN"},
        {"pap-rejected.log", 19,
         {{kOpenPort, 0}, {kConnectDevice, 0}, {kDeviceConnected, 0}, {kAuthenticate, 0},
          {kAuthenticate, dialerr::kAuthenticationFailure}},
         "user name or password (PAP)"},
        {"no-kernel-ppp.log", 4, {{kOpenPort, 0}, {kOpenPort, dialerr::kDeviceDoesNotExist}}, "ppp_generic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transcript);
        test::DialHarness h(DialLink::Pppd, "CONNECT", c.errorReport);
        UseTranscript(c.transcript, c.exitStatus);
        test::CDialNotices notices;
        ConnHandle handle = 0;
        ASSERT_EQ(h.service->Dial(h.pbk, {"apn.example", "", "kv", "kv"}, notices.Notifier(), handle), 0);
        ASSERT_TRUE(WaitGone(*h.service, handle));
        EXPECT_EQ(notices.All(), c.notices);
        EXPECT_EQ(h.inhibits.Events(), (std::vector<std::string>{"hold " + h.modem.Port(), "release"}));
        const std::string cause = h.service->LastErrorDetail();
        if (*c.cause == '\0') EXPECT_EQ(cause, "");
        else EXPECT_NE(cause.find(c.cause), std::string::npos) << cause;
    }
}

TEST(DialService, SetupProblemsAreClearErrorsNotHangs) {
    {
        test::DialHarness h;
        std::filesystem::remove(h.dir.File("vr31k-utility"));
        ConnHandle handle = 0;
        EXPECT_EQ(h.service->Dial(h.pbk, {"apn.example", "", "u", "p"}, nullptr, handle), dialerr::kFileNotOpened);
        EXPECT_NE(h.service->LastErrorDetail().find("setup.sh"), std::string::npos);
        EXPECT_EQ(h.service->Dial(h.pbk, {"no.such.entry", "", "u", "p"}, nullptr, handle), dialerr::kEntryNotFound);
    }
    {
        test::DialHarness h;
        h.service->RegisterDevice({"modem", test::kCardModem, h.dir.File("ttyGone")});
        ConnHandle handle = 0;
        EXPECT_EQ(h.service->Dial(h.pbk, {"apn.example", "", "u", "p"}, nullptr, handle), dialerr::kPortNotAvailable);
    }
    {
        test::DialHarness h;
        EntryProperties other;
        other.deviceName = "Unknown Modem";
        other.phoneNumber = "*99#";
        h.service->SetEntryProperties(h.pbk, "other.apn", other);
        ConnHandle handle = 0;
        EXPECT_EQ(h.service->Dial(h.pbk, {"other.apn", "", "u", "p"}, nullptr, handle), dialerr::kPortNotAvailable);
        EXPECT_NE(h.service->LastErrorDetail().find("Unknown Modem"), std::string::npos);
    }
}

// A hang-up ends the dialler within the configured waits, whether it is up or still
// dialling (then the dial ends as the user's disconnection), and lets the card go.
TEST(DialService, HangUpEndsTheDiallerWithinItsBound) {
    const struct {
        const char* what;
        const char* transcript;
        const char* behaviour;
        bool up;
    } rows[] = {
        {"dialler ends on SIGTERM", "connect-pap.log", "FAKE_PPPD_STAY", true},
        {"dialler ignores SIGTERM", "connect-pap.log", "FAKE_PPPD_IGNORE_TERM", true},
        {"a dial in progress", "port-locked.log", "FAKE_PPPD_STAY", false},  // any log that does not bring the link up
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::DialHarness h;
        UseTranscript(row.transcript, 0);
        setenv(row.behaviour, "1", 1);
        test::CDialNotices notices;
        ConnHandle handle = 0;
        ASSERT_EQ(h.service->Dial(h.pbk, {"apn.example", "", "u", "p"}, notices.Notifier(), handle), 0);
        uint32_t state = 0;
        int error = 0;
        if (row.up) {
            ASSERT_TRUE(notices.WaitForEnd());
            ASSERT_EQ(h.service->GetConnectStatus(handle, state, error), 0);
            EXPECT_EQ(state, dialstate::kConnected);
            EXPECT_EQ(h.inhibits.Events(), std::vector<std::string>{"hold " + h.modem.Port()}) << "held while up";
        } else {
            std::this_thread::sleep_for(100ms);
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(h.service->HangUp(handle), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "bounded by the configured waits";
        ASSERT_TRUE(notices.WaitForEnd());
        EXPECT_EQ(notices.All().back().second, row.up ? 0 : dialerr::kUserDisconnection);
        EXPECT_EQ(h.service->GetConnectStatus(handle, state, error), dialerr::kInvalidHandle);
        std::vector<ConnectionInfo> connections;
        h.service->EnumConnections(connections);
        EXPECT_TRUE(connections.empty());
        EXPECT_EQ(h.inhibits.Events(), (std::vector<std::string>{"hold " + h.modem.Port(), "release"}));
    }
}

// The real pppd reads the peers file and our private options file (nasty user name
// included) before it looks for kernel PPP: on a machine without it, 608 proves both
// were accepted (an option it cannot parse would give 657).
TEST(DialService, RealPppdAcceptsThePeersFileAndOurOptions) {
    if (access("/usr/sbin/pppd", X_OK) != 0 || access("/etc/ppp/peers/vr31k-utility", R_OK) != 0) {
        GTEST_SKIP() << "pppd or /etc/ppp/peers/vr31k-utility is not installed (scripts/setup.sh)";
    }
    if (access("/dev/ppp", F_OK) == 0) GTEST_SKIP() << "kernel PPP is present: a real dial would start";
    test::TempDir dir;
    test::CFakeModem modem("CONNECT");
    LinuxDialupConfig config;
    config.privateBase = dir.Path();
    auto service = CreateLinuxDialupService(config);
    service->RegisterDevice({"modem", test::kCardModem, modem.Port()});
    EntryProperties entry;
    entry.deviceName = test::kCardModem;
    entry.phoneNumber = "*99***1#";
    const std::string pbk = dir.File("VR31KUTL.pbk");
    ASSERT_EQ(service->SetEntryProperties(pbk, "apn.example", entry), 0);
    test::CDialNotices notices;
    ConnHandle handle = 0;
    ASSERT_EQ(service->Dial(pbk, {"apn.example", "", "o'brien \"x\" $HOME\n#", "p w\"$`"}, notices.Notifier(), handle),
              0)
        << service->LastErrorDetail();
    ASSERT_TRUE(notices.WaitForEnd());
    EXPECT_EQ(notices.All().back().second, dialerr::kDeviceDoesNotExist);
}

}  // namespace
}  // namespace vr31k

// The dial-up controller's entry operations, device lookup and counters, over the real
// phonebook service (with failures injected where a case needs one).
#include "support/ForwardingService.h"
#include "dialup/CWRasCtrl.h"
#include "dialup/CounterDelta.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vr31k {
namespace {

class RasCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ctrl.Setup(pbk, std::string(kCardModemName), 0), 0); }
    test::TempDir dir;
    std::string pbk = dir.File("VR31KUTL.pbk");
    std::unique_ptr<IDialupService> real = CreateLinuxDialupService({});
    CWRasCtrl ctrl{*real};
};

TEST_F(RasCtrlTest, ValidateEntryName) {
    ASSERT_EQ(ctrl.CreateEntry("taken.apn", std::string("u"), std::string("p"), std::string("*99***1#"), nullptr), 0);
    struct Case {
        std::string name;
        int expected;
    };
    const std::vector<Case> cases = {
        {"mobile-net.example.jp", 0},
        {"", RAS_ERR_EMPTY_NAME},
        {"-leading.hyphen", dialerr::kInvalidName},
        {"trailing.dot.", dialerr::kInvalidName},
        {"under_score", dialerr::kInvalidName},
        {"space inside", dialerr::kInvalidName},
        {std::string(100, 'a'), 0},
        {std::string(101, 'a'), RAS_ERR_NAME_TOO_LONG},
        {"taken.apn", dialerr::kAlreadyExists},
        {"TAKEN.APN", dialerr::kAlreadyExists},
    };
    for (const Case& c : cases) EXPECT_EQ(ctrl.ValidateEntryName(c.name, true), c.expected) << c.name;
    EXPECT_EQ(ctrl.ValidateEntryName("under_score", false), 0) << "characters are checked only on request";
}

TEST_F(RasCtrlTest, NoPhonebookYetMakesNoNameInvalid) {
    EXPECT_EQ(ctrl.ValidateEntryName("first.apn", true), 0);
    std::vector<std::string> names{"stale"};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ctrl.EnumEntries(names, nullptr), 0);
    EXPECT_TRUE(names.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "an empty phonebook needs no waiting";
}

TEST_F(RasCtrlTest, CreateEntryWritesTheEntryItsCredentialsAndBindings) {
    EntryGuid id{};
    ASSERT_EQ(ctrl.CreateEntry("apn.example", std::string("kv"), std::string("kv"), std::string("*99***1#"), &id), 0);
    EXPECT_NE(id, EntryGuid{});
    EntryProperties entry;
    ASSERT_EQ(real->GetEntryProperties(pbk, "apn.example", entry), 0);
    EXPECT_EQ(entry.options, kEntryOptions);
    EXPECT_EQ(entry.deviceType, "modem");
    EXPECT_EQ(entry.deviceName, kCardModemName);
    EXPECT_EQ(entry.phoneNumber, "*99***1#");
    EXPECT_EQ(entry.netProtocols, kNetProtocolIp);
    EXPECT_EQ(entry.framingProtocol, kFramingPpp);
    const std::string file = test::ReadFile(pbk);
    for (const char* key : {"BindMsNetClient=0", "ms_msclient=0", "ms_server=0"}) {
        EXPECT_NE(file.find(key), std::string::npos) << key;
    }
    std::string user, password, dial;
    ASSERT_EQ(ctrl.GetEntryCredentials("apn.example", user, password, dial), 0);
    EXPECT_EQ(user, "kv");
    EXPECT_EQ(password, "kv");
    EXPECT_EQ(dial, "*99***1#");

    EntryGuid again{};
    EXPECT_EQ(ctrl.CreateEntry("apn.example", std::string("x"), std::string("y"), std::string("*99***2#"), &again),
              dialerr::kAlreadyExists);
    EXPECT_EQ(again, id) << "an existing entry's identifier comes back with 183";
    ASSERT_EQ(ctrl.GetEntryCredentials("apn.example", user, password, dial), 0);
    EXPECT_EQ(user, "kv") << "183 changes nothing";
    user = "untouched";
    EXPECT_EQ(ctrl.GetEntryCredentials("missing.apn", user, password, dial), 0);
    EXPECT_EQ(user, "untouched");
}

TEST_F(RasCtrlTest, BindingFailureIsReportedAfterTheNumberIsSet) {
    struct FailingKeys : test::CForwardingService {
        using CForwardingService::CForwardingService;
        int WriteEntryKey(const std::string&, const std::string&, const std::string& key, const std::string&) override {
            return key == "ms_msclient" ? dialerr::kCannotWritePhonebook : 0;
        }
    } failing{*real};
    CWRasCtrl other(failing);
    other.Setup(pbk, std::string(kCardModemName), 0);
    EXPECT_EQ(other.CreateEntry("b.apn", std::nullopt, std::nullopt, std::string("*99***2#"), nullptr), RAS_ERR_BINDINGS);
    std::string number;
    EXPECT_EQ(other.GetEntryPhoneNumber("b.apn", number), 0);
    EXPECT_EQ(number, "*99***2#");
}

TEST_F(RasCtrlTest, AdaptEntry) {
    ASSERT_EQ(ctrl.CreateEntry("a.apn", std::string("u"), std::string("p"), std::string("*99***1#"), nullptr), 0);
    EXPECT_EQ(ctrl.AdaptEntry("a.apn", -1, std::nullopt, nullptr), 0) << "already on the card's modem";

    EntryProperties entry;
    real->GetEntryProperties(pbk, "a.apn", entry);
    entry.deviceName = "Some Other Modem";
    real->SetEntryProperties(pbk, "a.apn", entry);
    const std::string before = test::ReadFile(pbk);
    EXPECT_EQ(ctrl.AdaptEntry("a.apn", -1, std::nullopt, nullptr), RAS_ENTRY_DEVICE_CHANGED);
    real->GetEntryProperties(pbk, "a.apn", entry);
    EXPECT_EQ(entry.deviceName, kCardModemName);
    EXPECT_EQ(entry.phoneNumber, "*99***1#") << "only the device changes";

    // A multi-link entry becomes one link on the card's modem, credentials kept.
    entry.subEntries = {{"modem", "Other", "111"}, {"modem", "KORVANE VR31K Modem #2", "*99***4#"}};
    real->SetEntryProperties(pbk, "a.apn", entry);
    EntryGuid id{};
    EXPECT_EQ(ctrl.AdaptEntry("a.apn", 4, std::nullopt, &id), RAS_ENTRY_RECREATED);
    real->GetEntryProperties(pbk, "a.apn", entry);
    EXPECT_TRUE(entry.subEntries.empty());
    EXPECT_EQ(entry.phoneNumber, "*99***4#");
    EXPECT_EQ(entry.deviceName, kCardModemName);
    EXPECT_EQ(id, entry.guid);
    std::string user, password, dial;
    ctrl.GetEntryCredentials("a.apn", user, password, dial);
    EXPECT_EQ(user, "u");
    EXPECT_EQ(password, "p");
    EXPECT_EQ(ctrl.AdaptEntry("gone.apn", -1, std::nullopt, nullptr), dialerr::kEntryNotFound);
}

TEST_F(RasCtrlTest, FindCardModem) {
    CWRasCtrl fresh(*real);
    fresh.Setup(pbk, std::string("unchanged"), 0);
    EXPECT_EQ(fresh.FindCardModem(1), RAS_ERR_NO_MODEM);
    EXPECT_EQ(fresh.DeviceName(), "unchanged");

    real->RegisterDevice({"modem", "Tarnwick VR31K Modem", "/dev/ttyACM7"});
    EXPECT_EQ(fresh.FindCardModem(0), RAS_ERR_NO_MODEM) << "other makers' names need the extended flag";
    EXPECT_EQ(fresh.FindCardModem(1), 0);
    EXPECT_EQ(fresh.DeviceName(), "Tarnwick VR31K Modem");

    fresh.SetCardPort("/dev/ttyACM3");
    EXPECT_EQ(fresh.FindCardModem(0), 0);
    EXPECT_EQ(fresh.DeviceName(), kCardModemName);
}

TEST_F(RasCtrlTest, EnumAndDeleteAllReadAtMostTen) {
    for (int i = 1; i <= 12; ++i) {
        const std::string name = "e" + std::to_string(i) + ".apn";
        EntryProperties entry;
        entry.deviceName = kCardModemName;
        ASSERT_EQ(real->SetEntryProperties(pbk, name, entry), 0);
    }
    std::vector<std::string> names;
    std::vector<EntryGuid> ids;
    ASSERT_EQ(ctrl.EnumEntries(names, &ids), 0);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "e1.apn");
    EXPECT_NE(ids.back(), EntryGuid{});
    EXPECT_EQ(ctrl.DeleteAllEntries(), 0);
    real->EnumEntries(pbk, names);
    EXPECT_EQ(names, (std::vector<std::string>{"e11.apn", "e12.apn"}));
}

TEST(CounterDelta, IncreaseRule) {
    struct Case {
        uint64_t current, last;
        unsigned bits;
        uint64_t expected;
    };
    const std::vector<Case> cases = {
        {500, 200, 64, 300},
        {100, 4294967000u, 32, 396},  // 296 up to the wrap, one to reach 0, then 100
        {0, 0xFFFFFFFFu, 32, 1},
        {100, 4294967000u, 64, 100},  // a 64-bit counter never wraps: it started again
        {5000000000ull, 4000000000ull, 64, 1000000000ull},
        // A 32-bit interface made anew under its name: a new segment, never a 4 GiB spike.
        {1000, 50000000u, 32, 1000},
        {1000, 0xFFFFFFFFu - (256u << 20), 32, 1000},
    };
    for (const Case& c : cases) EXPECT_EQ(CounterIncrease(c.current, c.last, c.bits), c.expected) << c.current;
}

TEST_F(RasCtrlTest, StatisticsWithoutAConnectionChangeNothing) {
    EXPECT_EQ(ctrl.SampleStatistics(), RAS_ERR_NOT_CONNECTED);
    EXPECT_EQ(ctrl.BytesSent(), 0u);
    EXPECT_EQ(ctrl.IsConnected(), 0);
    EXPECT_EQ(ctrl.HangUp(false, true), 0) << "nothing to hang up";
}

}  // namespace
}  // namespace vr31k

// ModemManager asked to let go of the card while its port is open, on a private system
// bus with a python3-dbusmock ModemManager (Debian 12's dbusmock has no template for it:
// a bare object manager gets InhibitDevice and a modem through the mock interface).
// In-process through the card controller, and once end to end through vr31kctl.
#include "platform/linux/Machine.h"
#include "CardSimulator.h"
#include "card/CWKvCtrl.h"
#include "card/CardResults.h"
#include "platform/linux/ModemManagerBus.h"
#include "support/PrivateSystemBus.h"
#include "support/CtlCommands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace vr31k {
namespace {

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kPath = "/org/freedesktop/ModemManager1";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr const char* kUid = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
constexpr const char* kRefuse =
    "raise dbus.exceptions.DBusException('not authorized', name='org.freedesktop.ModemManager1.Error.Core.Unauthorized')";
// A refusal whose text would take the terminal over: ESC, the one-byte CSI, 5,000 characters.
constexpr const char* kRefuseLoud =
    "raise dbus.exceptions.DBusException('\\x1b[2J\\x9b31m' + 'x' * 5000, "
    "name='org.freedesktop.ModemManager1.Error.Core.Unauthorized')";

using Calls = std::vector<std::pair<std::string, bool>>;

class ModemManagerInhibit : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus.SkipReason().empty()) GTEST_SKIP() << bus.SkipReason();
        ASSERT_EQ(bus.Error(), "");
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
    }
    void TearDown() override { unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    // ModemManager answering InhibitDevice with `code`, with a modem on `port` ("": none).
    void StartModemManager(const std::string& code, const std::string& port) {
        ASSERT_TRUE(bus.StartMock({"-m", kService, kPath, kService}, kService)) << bus.Error();
        ASSERT_GE(sd_bus_call_method(bus.Bus(), kService, kPath, kMock, "AddMethod", nullptr, nullptr, "sssss",
                                     kService, "InhibitDevice", "sb", "", code.c_str()),
                  0);
        if (port.empty()) return;
        ASSERT_GE(sd_bus_call_method(bus.Bus(), kService, kPath, kMock, "AddObject", nullptr, nullptr,
                                     "ssa{sv}a(ssss)", "/org/freedesktop/ModemManager1/Modem/0",
                                     "org.freedesktop.ModemManager1.Modem", 2, "Device", "s", kUid, "Ports", "a(su)",
                                     2, "cdc-wdm0", 6u, port.c_str(), 3u, 0),
                  0);
    }
    // InhibitDevice's calls as the mock logged them.
    Calls InhibitCalls() {
        Calls calls;
        if (!bus.HasOwner(kService)) return calls;
        sd_bus_message* reply = nullptr;
        EXPECT_GE(sd_bus_call_method(bus.Bus(), kService, kPath, kMock, "GetMethodCalls", nullptr, &reply, "s",
                                     "InhibitDevice"),
                  0);
        uint64_t when = 0;
        sd_bus_message_enter_container(reply, 'a', "(tav)");
        while (sd_bus_message_enter_container(reply, 'r', "tav") > 0) {
            const char* uid = nullptr;
            int inhibit = 0;
            sd_bus_message_read(reply, "t", &when);
            sd_bus_message_read(reply, "av", 2, "s", &uid, "b", &inhibit);
            calls.emplace_back(uid, inhibit != 0);
            sd_bus_message_exit_container(reply);
        }
        sd_bus_message_unref(reply);
        return calls;
    }
    std::string CardPortName() const { return card.PortPath().substr(5); }  // below /dev

    test::PrivateSystemBus bus;
    sim::CardSimulator card;
};

struct Case {
    const char* what;
    bool modemManager;
    bool modemOnCard;  // its modem lists the card's tty (else another tty)
    const char* code;  // InhibitDevice's body in the mock
    bool silent;       // the card does not answer: the engine reopens the port between attempts
    InhibitState state;
    Calls whileOpen, afterClose;
};

TEST_F(ModemManagerInhibit, TheCardIsLetGoWhileThePortIsOpenAndTheOpenNeverWaitsOnIt) {
    const Calls held = {{kUid, true}};
    const Calls given = {{kUid, true}, {kUid, false}};
    const std::vector<Case> cases = {
        {"its modem on the card's tty", true, true, "", false, InhibitState::Inhibited, held, given},
        {"a reopen between attempts keeps it", true, true, "", true, InhibitState::Inhibited, held, given},
        {"no ModemManager on the bus", false, false, "", false, InhibitState::NoModemManager, {}, {}},
        {"a modem on another tty", true, false, "", false, InhibitState::NotItsModem, {}, {}},
        {"polkit's refusal", true, true, kRefuse, false, InhibitState::Refused, held, held},
        {"a refusal's text bounded and escaped", true, true, kRefuseLoud, false, InhibitState::Refused, held, held},
        {"a hung ModemManager", true, true, "import time; time.sleep(4)", false, InhibitState::Refused, held, held},
    };
    const int ownConnections = bus.ConnectionsOf(getpid());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.modemManager) StartModemManager(c.code, c.modemOnCard ? CardPortName() : "ttyUSB7");
        card.SetFault(c.silent ? sim::Fault::Silent : sim::Fault::None);
        auto inhibit = MakeDeviceInhibit();
        const IDeviceInhibit& seen = *inhibit;
        {
            CWKvCtrl kv(CardTimings{150, 150, 5, 20}, MakeSerialPort(), std::move(inhibit));
            testing::internal::CaptureStderr();
            ASSERT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
            EXPECT_EQ(kv.Initialize(), c.silent ? CARD_ERR_TRANSACT : CARD_OK);
            const std::string told = testing::internal::GetCapturedStderr();
            EXPECT_EQ(seen.Last().state, c.state) << seen.Last().reason;
            EXPECT_EQ(told.find("ModemManager did not let go of " + card.PortPath()) != std::string::npos,
                      c.state == InhibitState::Refused)
                << told;
            EXPECT_TRUE(told.find_first_of("\x1b\x9b") == std::string::npos && told.size() < 1000) << told;
            EXPECT_EQ(InhibitCalls(), c.whileOpen);
            // The inhibition lives on a connection of its own, open while the port is.
            EXPECT_EQ(bus.ConnectionsOf(getpid()), ownConnections + (c.state == InhibitState::Inhibited ? 1 : 0));
            EXPECT_EQ(kv.ClosePort(), CARD_OK);
            EXPECT_EQ(InhibitCalls(), c.afterClose);
            EXPECT_EQ(bus.ConnectionsOf(getpid()), ownConnections);
        }
        bus.StopMocks();
    }
}

TEST_F(ModemManagerInhibit, WithoutASystemBusThePortOpensAsEver) {
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    auto inhibit = MakeDeviceInhibit();
    const IDeviceInhibit& seen = *inhibit;
    CWKvCtrl kv(CardTimings{150, 150, 5, 20}, MakeSerialPort(), std::move(inhibit));
    EXPECT_EQ(kv.OpenPort(card.PortPath(), true), CARD_OK);
    EXPECT_EQ(seen.Last().state, InhibitState::NoBus);
}

// vr31kctl's card check as a user runs it: the default composition asks, and gives back;
// a hung bus takes the connection and never answers: the check goes on without it and
// says so once.
TEST_F(ModemManagerInhibit, VrctlCardCheckHoldsTheCardOnlyWhileItUsesThePort) {
    for (const bool hung : {false, true}) {
        SCOPED_TRACE(hung ? "a hung bus" : "ModemManager on the bus");
        if (hung) bus.Freeze();
        else StartModemManager("", CardPortName());
        test::TempDir data;
        const test::RunResult run =
            test::RunProgram(nullptr, test::CtlArgv(data.Path(), {"--json", "--port", card.PortPath(), "card", "check"}),
                             {"DBUS_SYSTEM_BUS_ADDRESS=" + bus.Address()}, std::chrono::seconds(20));
        EXPECT_EQ(run.status, 0) << "killed after 20 s? " << run.err;
        EXPECT_NE(run.out.find("\"ok\": true"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, hung ? "vr31kctl: ModemManager is not asked to let go of " + card.PortPath() +
                                      ": the system bus did not answer within 2 s\n"
                                : "");
        if (!hung) {
            EXPECT_EQ(InhibitCalls(), (Calls{{kUid, true}, {kUid, false}}));  // a frozen bus is not asked
        }
    }
}

// The doctor's look: the card's modem, and polkit's answer for ModemManager's control action.
TEST_F(ModemManagerInhibit, TheDoctorSeesTheModemAndPolkitsAnswer) {
    EXPECT_FALSE(LookAtModemManager(card.PortPath()).onBus);
    StartModemManager("", CardPortName());
    const auto permission = [&] {
        const ModemManagerView view = LookAtModemManager(card.PortPath());
        EXPECT_TRUE(view.onBus);
        EXPECT_EQ(view.uid, kUid);
        return view.permission;
    };
    EXPECT_EQ(permission(), InhibitPermission::Unknown);  // no polkit on the bus
    ASSERT_TRUE(bus.StartMock({"--template", "polkitd"}, "org.freedesktop.PolicyKit1")) << bus.Error();
    EXPECT_EQ(permission(), InhibitPermission::Refused);
    ASSERT_GE(sd_bus_call_method(bus.Bus(), "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
                                 kMock, "SetAllowed", nullptr, nullptr, "as", 1,
                                 "org.freedesktop.ModemManager1.Control"),
              0);
    EXPECT_EQ(permission(), InhibitPermission::Allowed);
    EXPECT_EQ(LookAtModemManager("/dev/ttyUSB9").uid, "");
}

TEST(ModemManagerModems, TheCardIsTheModemWithItsTtyOrItsUsbDevice) {
    const std::vector<ModemObject> modems = {{"/sys/usb1/1-1", {"cdc-wdm0", "ttyUSB0"}},
                                             {"/sys/usb1/1-2", {"ttyACM0", "ttyACM1"}}};
    EXPECT_EQ(CardModemUid(modems, PortNameOf("/dev/ttyACM1"), ""), "/sys/usb1/1-2");
    EXPECT_EQ(CardModemUid(modems, PortNameOf("/dev/ttyACM4"), "/sys/usb1/1-1"), "/sys/usb1/1-1");
    EXPECT_EQ(CardModemUid(modems, PortNameOf("/dev/ttyACM4"), "/sys/usb2/2-1"), "");
    EXPECT_EQ(PortNameOf("/dev/pts/3"), "pts/3");
}

}  // namespace
}  // namespace vr31k

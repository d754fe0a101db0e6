// Card lookup and eject on umockdev testbeds (the binary runs under umockdev-wrapper,
// so libudev sees the testbed instead of this machine's devices).
#include "platform/linux/Machine.h"
#include "card/CardDetection.h"
#include "card/CardMonitor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <umockdev.h>

namespace vr31k {
namespace {

// One USB device with a tty: its name, ids, class, interface count, the tty's interface
// and name, and whether the tty has its node.
struct UsbTty {
    const char *name, *vid, *pid, *deviceClass, *interfaces, *interfaceNumber, *tty;
    bool withNode = true;
};

class Testbed {
public:
    Testbed() : m_bed(umockdev_testbed_new()) {}
    ~Testbed() { g_object_unref(m_bed); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // The USB device below `parent`, with its interface and tty; returns the tty's path.
    std::string AddUsbTty(const std::string& parent, const UsbTty& t) {
        const std::string usb = Take(umockdev_testbed_add_device(
            m_bed, "usb", t.name, parent.empty() ? nullptr : parent.c_str(), "idVendor", t.vid, "idProduct", t.pid,
            "bcdDevice", "0100", "bDeviceClass", t.deviceClass, "bNumInterfaces", t.interfaces, "serial", "SN42", nullptr,
            "DEVTYPE", "usb_device", nullptr));
        const std::string interface = Take(umockdev_testbed_add_device(
            m_bed, "usb", (t.name + std::string(":1.") + t.interfaceNumber).c_str(), usb.c_str(), "bInterfaceNumber",
            t.interfaceNumber, nullptr, "DEVTYPE", "usb_interface", nullptr));
        const std::string node = std::string("/dev/") + t.tty;
        if (t.withNode) {
            return Take(umockdev_testbed_add_device(m_bed, "tty", t.tty, interface.c_str(), nullptr, "DEVNAME",
                                                    node.c_str(), nullptr));
        }
        return Take(umockdev_testbed_add_device(m_bed, "tty", t.tty, interface.c_str(), nullptr, nullptr));
    }

    // A PCI USB host controller with its root hub; returns the controller's path.
    std::string AddController(const std::string& name, const char* subsysVendor, const char* subsysDevice,
                              const char* removable, std::string* hub) {
        const std::string pci = Take(umockdev_testbed_add_device(
            m_bed, "pci", name.c_str(), nullptr, "vendor", "0x19e1", "device", "0x0c41", "subsystem_vendor", subsysVendor,
            "subsystem_device", subsysDevice, "revision", "0x01", "removable", removable, "remove", "", nullptr, nullptr));
        *hub = Take(umockdev_testbed_add_device(m_bed, "usb", ("usb-" + name).c_str(), pci.c_str(), "idVendor", "1d6b",
                                                "idProduct", "0002", "bNumInterfaces", "1", nullptr, "DEVTYPE",
                                                "usb_device", nullptr));
        return pci;
    }

    std::string Attribute(const std::string& sysPath, const std::string& name) {
        return test::ReadFile(Take(umockdev_testbed_get_root_dir(m_bed)) + sysPath + "/" + name);
    }
    void Event(const std::string& sysPath, const char* action) { umockdev_testbed_uevent(m_bed, sysPath.c_str(), action); }

private:
    static std::string Take(gchar* text) {
        std::string s = text != nullptr ? text : "";
        g_free(text);
        return s;
    }
    UMockdevTestbed* m_bed;
};

// The port class wants interface 1 of a composite card, the lookup told to tell them apart
// says which kind it found; ids are matched in either case; a card found without a
// node has no port (callers treat it as no card); the chipset's ids count only with
// their flag.
TEST(CardLookup, TheCardsPortByItsIdsAndInterface) {
    const UsbTty single{"1-1", "1d4c", "0a21", "02", "2", "00", "ttyACM0"}, chipset{"1-1", "2b7e", "4600", "02", "2", "00", "ttyACM0"},
        other{"1-1", "0403", "6001", "00", "1", "00", "ttyUSB0"};
    const std::vector<UsbTty> composite = {{"1-2", "1D4C", "0A21", "00", "3", "01", "ttyUSB1"},
                                           {"1-3", "1d4c", "0a21", "00", "3", "00", "ttyUSB0"}};
    const struct {
        const char* what;
        std::vector<UsbTty> ttys;
        bool portClass, distinguish, chipset;
        int code;
        const char* port;
    } rows[] = {
        {"single function", {single}, false, false, false, CARD_FOUND, "/dev/ttyACM0"},
        {"single function, told apart", {single}, false, true, false, CARD_FOUND_SINGLE, "/dev/ttyACM0"},
        {"single function, the port class", {single}, true, false, false, CARD_NOT_FOUND, ""},
        {"composite", composite, false, true, false, CARD_FOUND_COMPOSITE, "/dev/ttyUSB0"},
        {"composite, the port class", composite, true, false, false, CARD_FOUND_COMPOSITE, "/dev/ttyUSB1"},
        {"another device", {other}, false, false, false, CARD_NOT_FOUND, ""},
        {"the card without its node", {other, {"1-2", "1d4c", "0a21", "00", "1", "00", "ttyACM3", false}}, false, false,
         false, CARD_FOUND, ""},
        {"the chipset", {chipset}, false, false, false, CARD_NOT_FOUND, ""},
        {"the chipset with its flag", {chipset}, false, false, true, CARD_FOUND, "/dev/ttyACM0"},
    };
    for (const auto& row : rows) {
        Testbed bed;
        for (const UsbTty& t : row.ttys) bed.AddUsbTty("", t);
        std::string port = "stale";
        EXPECT_EQ(FindCardPort(*MakeDeviceTree(), port, row.portClass, row.distinguish, row.chipset), row.code) << row.what;
        EXPECT_EQ(port, row.port) << row.what;
    }
}

TEST(CardEject, RemovesOnlyARemovableControllerCarryingTheCard) {
    const UsbTty card{"1-1", "1d4c", "0a21", "02", "2", "00", "ttyACM0"}, other{"1-1", "0403", "6001", "00", "1", "00", "ttyUSB0"};
    struct Row {
        const char* name;
        const char* subsysVendor;
        const char* subsysDevice;
        const char* removable;
        std::vector<UsbTty> onHub;
        bool variants;
        int result;
    } rows[] = {
        {"card-bus card", "0x19e1", "0x0c41", "removable", {card}, false, 1},
        {"hub without device", "0x19e1", "0x0c41", "removable", {}, false, 0},
        {"another device on the hub", "0x19e1", "0x0c41", "removable", {other}, false, 0},
        {"not removable", "0x19e1", "0x0c41", "fixed", {card}, false, 0},
        {"no subsystem id, no flag", "0x0000", "0x0000", "removable", {card}, false, 0},
        {"no subsystem id, flag", "0x0000", "0x0000", "removable", {card}, true, 1},
        {"blank subsystem id, flag", "0xffff", "0xffff", "removable", {card}, true, 1},
    };
    for (const auto& row : rows) {
        Testbed bed;
        std::string hub;
        const std::string pci = bed.AddController("0000:02:00.0", row.subsysVendor, row.subsysDevice, row.removable, &hub);
        for (const UsbTty& t : row.onHub) bed.AddUsbTty(hub, t);
        EXPECT_EQ(EjectCard(*MakeDeviceTree(), row.variants), row.result) << row.name;
        EXPECT_EQ(bed.Attribute(pci, "remove").starts_with("1"), row.result == 1) << row.name;
    }
}

TEST(CardMonitor, ReportsArrivalAndRemovalOfTheCardOnly) {
    Testbed bed;
    const std::string tty = bed.AddUsbTty("", {"1-1", "1d4c", "0a21", "00", "3", "00", "ttyUSB0"});
    const std::string other = bed.AddUsbTty("", {"1-2", "0403", "6001", "00", "1", "00", "ttyUSB5"});
    const std::string chipset = bed.AddUsbTty("", {"1-3", "2b7e", "4600", "02", "2", "00", "ttyACM1"});
    CardMonitor monitor(false);
    ASSERT_TRUE(monitor.IsWatching());
    bed.Event(other, "add");
    bed.Event(chipset, "add");
    bed.Event(tty, "add");
    bed.Event(tty, "remove");
    std::vector<CardNotice> seen;
    for (int i = 0; i < 50 && seen.size() < 2; ++i) {
        pollfd fd{monitor.Fd(), POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) continue;
        while (const auto notice = monitor.Next()) seen.push_back(*notice);
    }
    EXPECT_EQ(seen, (std::vector<CardNotice>{CardNotice::Arrived, CardNotice::Removed}));
}

TEST(CardIds, FirstMatchingIdDecidesTheCode) {
    struct Row {
        std::vector<std::string> ids;
        bool portClass, distinguish, chipset;
        int code;
    } rows[] = {
        {{"USB\\Vid_1d4c&Pid_0a21&MI_00", "USB\\Vid_1d4c&Pid_0a21"}, false, true, false, CARD_FOUND_COMPOSITE},
        {{"USB\\Vid_1d4c&Pid_0a21", "USB\\Vid_1d4c&Pid_0a21&MI_00"}, false, true, false, CARD_FOUND_SINGLE},
        {{"USB\\VID_1D4C&PID_0A21&MI_00"}, false, false, false, CARD_FOUND},
        {{"USB\\Vid_1d4c&Pid_0a21&MI_01"}, false, false, false, CARD_NOT_FOUND},
        {{"USB\\Vid_1d4c&Pid_0a21&MI_01"}, true, false, false, CARD_FOUND_COMPOSITE},
        {{"USB\\Vid_2b7e&Pid_4600"}, false, false, false, CARD_NOT_FOUND},
        {{"USB\\Vid_2b7e&Pid_4600"}, false, true, true, CARD_FOUND_SINGLE},
        {{"USB\\Vid_2b7e&Pid_4697&MI_00"}, false, false, true, CARD_FOUND},
        {{"USB\\Vid_1d4c&Pid_0a21&REV_0100"}, false, false, false, CARD_NOT_FOUND},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MatchCardHardwareIds(row.ids, row.portClass, row.distinguish, row.chipset), row.code) << row.ids[0];
    }
    EXPECT_TRUE(IsCardInstanceId("USB\\VID_1D4C&PID_0A21\\SN42", false));
    EXPECT_TRUE(IsCardInstanceId("usb\\vid_1d4c&pid_0a21&mi_00\\6&1", false));
    EXPECT_FALSE(IsCardInstanceId("USB\\VID_2B7E&PID_4600\\1", false));
    EXPECT_TRUE(IsCardInstanceId("USB\\VID_2B7E&PID_4600\\1", true));
    EXPECT_TRUE(IsCardInstanceId("USB\\VID_2B7E&PID_4697&MI_00\\1", true));
    EXPECT_FALSE(IsCardInstanceId("USB\\VID_2B7E&PID_4697&MI_01\\1", true));
}

}  // namespace
}  // namespace vr31k

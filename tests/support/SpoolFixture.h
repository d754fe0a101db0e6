#pragma once
// The data folder, its spool and a history under a metered plan, for the tests of what
// pppd's hook records and what the spool's import makes of it.
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/UsageSpool.h"
#include "support/TempDir.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vr31k::test {

// 2008/05/20 12:00:00 local: the tests' "now"; records end an hour earlier.
constexpr long long kEnd = 1211284800 - 3600;

class SpoolFixture : public ::testing::Test {
protected:
    ScopedTimeZone utc{"UTC"};
    TempDir dir;
    TempDir sys;
    ChargeAccounting charge;

    void SetUp() override {
        charge.SetClock([] { return OleFromTime(1211284800); });
        charge.Plan().chargeType = kChargeMetered;
        charge.Plan().packetCharge2 = 1;  // 1 yen a 128-byte packet
        charge.DerivePlan();
        ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
    }
    std::vector<HistoryRow> Rows() {
        std::vector<HistoryRow> rows;
        charge.History().ForEachRow([&](const HistoryRow& r) { rows.push_back(r); return true; });
        return rows;
    }
    std::vector<std::string> Spool() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.File(kSpoolFolderName))) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A card's tty as sysfs shows it: the tty's device is interface 00 of the USB device.
    void CardTty(const std::string& tty, const char* vendor, const char* product) {
        const std::string usb = sys.File("devices/usb1/1-1");
        std::filesystem::create_directories(usb + "/1-1:1.0");
        std::filesystem::create_directories(sys.File("class/tty/" + tty));
        WriteFile(usb + "/idVendor", std::string(vendor) + "\n");
        WriteFile(usb + "/idProduct", std::string(product) + "\n");
        WriteFile(usb + "/1-1:1.0/bInterfaceNumber", "00\n");
        std::filesystem::create_symlink(usb + "/1-1:1.0", sys.File("class/tty/" + tty + "/device"));
    }
};

}  // namespace vr31k::test

// The six figures of the status and result dialogs, from the live connection and the
// plan: the byte counts with both flags, the charge text, and the live bytes left out
// of the period when the line was lost; the status dialog's projection with the live bytes.
#include "accounting/CRasChargeCtrl.h"
#include "accounting/EntryCredentialStore.h"
#include "mainwnd/ConnectionControl.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

// One yen per 128-byte packet, and with `freePackets` a free allowance costing 500 yen.
DialupSettings Metered(int freePackets) {
    DialupSettings plan;
    plan.chargeType = freePackets > 0 ? kChargeMeteredFree : kChargeMetered;
    plan.packetCharge2 = 1.0;
    plan.packetSize = 128;
    plan.freePackets = freePackets;
    plan.freeCall1 = 500;
    return plan;
}

TEST(ConnectionFiguresText, FormatsEveryFigureAsTheDialogsShowIt) {
    const struct {
        const char* what;
        DialupSettings plan;
        LiveConnection live;
        bool includeLive;
        ConnectionFiguresText shown;
    } cases[] = {
        {"no plan", DialupSettings{}, {1234, 0, 3725000, "apn", OleDate::Null()}, true,
         {"01:02:05", "1,234 Bytes", "0 Bytes", "---", "0 Bytes", "0 Bytes"}},
        {"1,234 yen; 2^30 bytes unscaled, one more scaled; 25 h", Metered(0),
         {1234 * 128, 1073741824, 90000000, "apn", OleDate::Null()}, false,
         {"25:00:00", "157,952 Bytes", "1,073,741,824 Bytes", "\u00A5 1", "0 Bytes", "0 Bytes"}},
        {"the live bytes in the charge", Metered(0), {1234 * 128, 0, 0, "apn", OleDate::Null()}, true,
         {"00:00:00", "157,952 Bytes", "0 Bytes", "\u00A5 1,234", "0 Bytes", "0 Bytes"}},
        {"past 2^30 received", Metered(0), {0, 1073741825, 999, "apn", OleDate::Null()}, true,
         {"00:00:00", "0 Bytes", "1,048,576 kBytes", "\u00A5 8,388,608", "0 Bytes", "0 Bytes"}},
        {"free allowance, line lost: the live bytes left out", Metered(100), {200 * 128, 0, 0, "apn", OleDate::Null()}, false,
         {"00:00:00", "25,600 Bytes", "0 Bytes", "\u00A5 500", "12,800 Bytes", "0 Bytes"}},
        {"free allowance used up by the live bytes", Metered(100), {200 * 128, 0, 0, "apn", OleDate::Null()}, true,
         {"00:00:00", "25,600 Bytes", "0 Bytes", "\u00A5 600", "0 Bytes", "0 Bytes"}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
        CRasChargeCtrl charge(*service);
        charge.Plan() = c.plan;
        charge.DerivePlan();
        charge.Live() = c.live;
        const ConnectionFiguresText shown = ConnectionFiguresOf(charge, c.includeLive);
        EXPECT_EQ(shown.time, c.shown.time) << c.what;
        EXPECT_EQ(shown.sent, c.shown.sent) << c.what;
        EXPECT_EQ(shown.received, c.shown.received) << c.what;
        EXPECT_EQ(shown.charge, c.shown.charge) << c.what;
        EXPECT_EQ(shown.freeLeft, c.shown.freeLeft) << c.what;
        EXPECT_EQ(shown.limitLeft, c.shown.limitLeft) << c.what;
    }
}

TEST(ConnectionFiguresText, TheProjectionCountsTheLiveBytesWhenTheyAreCounted) {
    // Ten days of 31 gone with 1,280 live bytes: 3,968 bytes by the end, 31 packets at 1 yen.
    test::TempDir dir;
    std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
    CRasChargeCtrl charge(*service);
    ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
    charge.SetClock([] { return MakeOleDate(2008, 5, 31, 0, 0, 0); });
    charge.Plan() = Metered(0);
    charge.Plan().chargeDay = 20;
    charge.DerivePlan();
    charge.RecomputePeriod();
    charge.Live() = {1280, 0, 1000, "apn", OleDate::Null()};
    EXPECT_EQ(ConnectionFiguresOf(charge, true).projection.text, "この期間の予想金額: 約 31 円 (あと 20 日)");
    EXPECT_EQ(ConnectionFiguresOf(charge, false).projection.text, "この期間の予想金額: 約 1 円 (あと 20 日)");
}

}  // namespace
}  // namespace vr31k

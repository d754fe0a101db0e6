// The six figures of the status and result dialogs, from the live connection and the
// plan: the byte counts with both flags, the charge, and the live bytes left out of the
// period when the line was lost; the status dialog's projection with the live bytes, and
// the projection in words (the days left or the last day, "---" without a period end or
// a plan, the warning carried through). How a time and a charge read is the dial-up
// layer's (tests/dialup/ConnectionFiguresTest.cpp).
#include "accounting/CRasChargeCtrl.h"
#include "accounting/EntryCredentialStore.h"
#include "dialup/ConnectionFigures.h"
#include "mainwnd/ConnectionControl.h"
#include "mainwnd/ProjectionText.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/SamplePlan.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

// One yen per 128-byte packet, and with `freePackets` a free allowance costing 500 yen.
DialupSettings Metered(int freePackets) {
    return test::MakePlan(
        {.type = freePackets > 0 ? kChargeMeteredFree : kChargeMetered, .freePackets = freePackets, .freeFee = 500});
}

TEST(ConnectionFiguresText, FormatsEveryFigureAsTheDialogsShowIt) {
    const struct {
        const char* what;
        DialupSettings plan;
        LiveConnection live;
        bool includeLive;
        const char *sent, *received, *charge, *freeLeft, *limitLeft;
    } cases[] = {
        {"no plan", DialupSettings{}, {1234, 0, 3725000, "apn"}, true, "1,234 Bytes", "0 Bytes", "---", "0 Bytes",
         "0 Bytes"},
        {"1,234 yen; 2^30 bytes unscaled, one more scaled; 25 h", Metered(0), {1234 * 128, 1073741824, 90000000, "apn"},
         false, "157,952 Bytes", "1,073,741,824 Bytes", "\u00A5 1", "0 Bytes", "0 Bytes"},
        {"the live bytes in the charge", Metered(0), {1234 * 128, 0, 0, "apn"}, true, "157,952 Bytes", "0 Bytes",
         "\u00A5 1,234", "0 Bytes", "0 Bytes"},
        {"past 2^30 received", Metered(0), {0, 1073741825, 999, "apn"}, true, "0 Bytes", "1,048,576 kBytes",
         "\u00A5 8,388,608", "0 Bytes", "0 Bytes"},
        {"free allowance, line lost: the live bytes left out", Metered(100), {200 * 128, 0, 0, "apn"}, false,
         "25,600 Bytes", "0 Bytes", "\u00A5 500", "12,800 Bytes", "0 Bytes"},
        {"free allowance used up by the live bytes", Metered(100), {200 * 128, 0, 0, "apn"}, true, "25,600 Bytes",
         "0 Bytes", "\u00A5 600", "0 Bytes", "0 Bytes"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
        CRasChargeCtrl charge(*service);
        charge.Plan() = c.plan;
        charge.DerivePlan();
        charge.Live() = c.live;
        const ConnectionFiguresText shown = ConnectionFiguresOf(charge, c.includeLive);
        EXPECT_EQ(shown.time, FormatConnectionTime(static_cast<uint64_t>(c.live.durationMs))) << c.what;
        EXPECT_EQ(shown.sent, c.sent) << c.what;
        EXPECT_EQ(shown.received, c.received) << c.what;
        EXPECT_EQ(shown.charge, c.charge) << c.what;
        EXPECT_EQ(shown.freeLeft, c.freeLeft) << c.what;
        EXPECT_EQ(shown.limitLeft, c.limitLeft) << c.what;
    }
}

TEST(ConnectionFiguresText, TheProjectionCountsTheLiveBytesWhenTheyAreCounted) {
    // Ten days of 31 gone with 1,280 live bytes: 3,968 bytes by the end, 31 packets at 1 yen.
    test::TempDir dir;
    std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
    CRasChargeCtrl charge(*service);
    ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
    charge.SetClock([] { return MakeOleDate(2008, 5, 31, 0, 0, 0); });
    charge.Plan() = test::MakePlan({});
    charge.DerivePlan();
    charge.RecomputePeriod();
    charge.Live() = {1280, 0, 1000, "apn", OleDate::Null()};
    EXPECT_EQ(ConnectionFiguresOf(charge, true).projection.text, "この期間の予想金額: 約 31 円 (あと 20 日)");
    EXPECT_EQ(ConnectionFiguresOf(charge, false).projection.text, "この期間の予想金額: 約 1 円 (あと 20 日)");
}

PeriodProjection Projection(int32_t charge, int daysLeft, ProjectionWarning warning = ProjectionWarning::None,
                            const char* warningText = "") {
    return {.available = true, .daysInPeriod = 31, .daysLeft = daysLeft, .elapsedDays = 1.0,
            .projectedCharge = charge, .warning = warning, .warningText = warningText};
}

TEST(ProjectionText, Lines) {
    const PeriodProjection unavailable;
    const struct {
        const char* what;
        PeriodProjection projection;
        ProjectionText shown;
    } cases[] = {
        {"no end to the period", unavailable, {"この期間の予想金額: ---", false, false, ""}},
        {"no plan: bytes only", Projection(-1, 12), {"この期間の予想金額: ---", false, false, ""}},
        {"grouped, days left", Projection(12345, 12), {"この期間の予想金額: 約 12,345 円 (あと 12 日)", true, false, ""}},
        {"one day left", Projection(1, 1), {"この期間の予想金額: 約 1 円 (あと 1 日)", true, false, ""}},
        {"the last day", Projection(0, 0), {"この期間の予想金額: 約 0 円 (本日締め)", true, false, ""}},
        {"heading past the cap", Projection(4980, 20, ProjectionWarning::Cap, "cap line"),
         {"この期間の予想金額: 約 4,980 円 (あと 20 日)", true, true, "cap line"}},
        {"heading past the notice", Projection(2147483647, 3, ProjectionWarning::Notice, "notice line"),
         {"この期間の予想金額: 約 2,147,483,647 円 (あと 3 日)", true, true, "notice line"}},
    };
    for (const auto& c : cases) {
        const ProjectionText shown = FormatProjection(c.projection);
        EXPECT_EQ(shown.text, c.shown.text) << c.what;
        EXPECT_EQ(shown.shown, c.shown.shown) << c.what;
        EXPECT_EQ(shown.warning, c.shown.warning) << c.what;
        EXPECT_EQ(shown.warningText, c.shown.warningText) << c.what;
    }
}

}  // namespace
}  // namespace vr31k

// The projected charge in words: the line with the days left or the last day, its
// "---" form without a period end or a plan, and the warning carried through.
#include "mainwnd/ProjectionText.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

PeriodProjection Projection(int32_t charge, int daysLeft, ProjectionWarning warning = ProjectionWarning::None,
                            const char* warningText = "") {
    PeriodProjection p;
    p.available = true;
    p.daysInPeriod = 31;
    p.daysLeft = daysLeft;
    p.elapsedDays = 1.0;
    p.projectedCharge = charge;
    p.warning = warning;
    p.warningText = warningText;
    return p;
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

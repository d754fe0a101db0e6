#include "mainwnd/ProjectionText.h"

#include "common/ByteCount.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k {

using namespace ids;

ProjectionText FormatProjection(const PeriodProjection& projection) {
    ProjectionText shown;
    // Without a plan there is no charge to project, only bytes: say nothing then.
    if (!projection.available || projection.projectedCharge < 0) {
        shown.text = LoadString(IDS_PROJECTION_LINE_NONE);
        return shown;
    }
    shown.shown = true;
    const std::string yen = FormatByteCount(static_cast<uint64_t>(projection.projectedCharge), false, false);
    shown.text = projection.daysLeft > 0
                     ? FormatString(IDS_PROJECTION_LINE, {yen, std::to_string(projection.daysLeft)})
                     : FormatString(IDS_PROJECTION_LINE_LAST_DAY, {yen});
    shown.warning = projection.warning != ProjectionWarning::None;
    shown.warningText = projection.warningText;
    return shown;
}

}  // namespace vr31k

#pragma once
// Where the current billing period will end at its pace so far: the bytes and the
// estimated charge at the period's last day, and a one-line warning when that crosses
// the notice amount or the cap. An estimate on top of an estimate: it says nothing
// about days to come, only how the days so far would add up.
//
// Method: the mean bytes per elapsed day times the days of the period. Elapsed days run
// from the period's first midnight to now on the wall clock, and count as at least one
// day, so a period's first hours are not blown up into a month.
#include "accounting/ChargeAccounting.h"
#include "accounting/ChargePlan.h"
#include "accounting/OleDate.h"
#include "common/SettingsStore.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vr31k {

enum class ProjectionWarning { None, Notice, Cap };

struct PeriodProjection {
    // False when the period has no end (closing day "no reset"), or `now` lies outside it
    // (a period not yet rolled over): then nothing below is set.
    bool available = false;
    int daysInPeriod = 0;
    int daysLeft = 0;           // whole days of the period after today; 0 on its last day
    double elapsedDays = 0.0;   // at least 1
    int64_t projectedBytes = 0;
    int32_t projectedCharge = -1;  // -1 when no plan applies
    ProjectionWarning warning = ProjectionWarning::None;
    std::string warningText;    // one line; empty without a warning
};

// `period` as BuildPeriodList writes it; `periodBytes` what the period has used by `now`.
// The warning is given only for a threshold the period has not yet reached.
PeriodProjection ProjectPeriod(std::string_view period, OleDate now, int64_t periodBytes, const DialupSettings& plan,
                               const DerivedPlan& derived);

// The charge controller's current period at its own now, with the live connection's
// bytes when `includeLive` (the status dialog), without (the history's view).
PeriodProjection ProjectCurrentPeriod(const ChargeAccounting& charge, bool includeLive);

}  // namespace vr31k

#pragma once
// The user's own limit on a billing period's use: where it lies in bytes under the
// plan, whether the period (with the live connection) is below it, past its warning
// share or at it, what `connect` says when it is reached, and the warning for a sudden
// burst of traffic. The figures only: the caller shows, hangs up and records.
#include "accounting/ChargeAccounting.h"
#include "accounting/ChargePlan.h"
#include "common/LimitSettings.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

enum class LimitState { Off, Below, Warning, Reached };

struct LimitStatus {
    LimitState state = LimitState::Off;
    int64_t limitBytes = 0;  // the period total at which it is reached; 0 when off
    int64_t warnBytes = 0;   // the period total at which it warns; 0 without a warning
    int64_t bytesLeft = 0;   // before the limit (and the bytes allowed past it)
};

// Off when the limit is off or unset, or is a charge the plan never reaches by use
// (see BytesForCharge). `overBytes`: what the user allowed past the limit for this
// connection (INT64_MAX for no end); the warning share stays where it was.
LimitStatus CheckLimit(const LimitSettings& limit, const DialupSettings& plan, const DerivedPlan& derived,
                       int64_t periodBytes, int64_t liveBytes, int64_t overBytes = 0);
// The charge controller's period with the live bytes it has not counted yet.
LimitStatus CheckCurrentLimit(const ChargeAccounting& charge, const LimitSettings& limit, int64_t overBytes = 0);

// The texts of the warning box, the hang-up box, the question before a new dial
// (`moreBytes` past the limit) and the refusal, with the limit's amount filled in.
std::string LimitAmountText(const LimitSettings& limit);
std::string LimitWarningText(const LimitSettings& limit);
std::string LimitReachedText(const LimitSettings& limit);
std::string LimitConnectAnywayText(const LimitSettings& limit, int64_t moreBytes);
std::string BurstWarningText(int64_t burstBytes);

// What a new dial is refused with when the period has reached the limit; none when it
// may dial (the limit off or not reached, or `overLimit` given).
std::optional<std::string> LimitRefusal(const ChargeAccounting& charge, const LimitSettings& limit, bool overLimit);

// A value of the limit's settings as the user typed it: ok with the value, or the
// check's message. Sizes are whole bytes or a number with k, M, G or T (powers of 1024).
struct LimitFieldCheck {
    bool ok = false;
    int64_t value = 0;
    std::string text;
};
LimitFieldCheck CheckLimitCharge(std::string_view text);
LimitFieldCheck CheckLimitBytes(std::string_view text);  // 1 kByte and up
LimitFieldCheck CheckBurstBytes(std::string_view text);  // 0 (off) or 1 kByte and up
LimitFieldCheck CheckWarnRatio(std::string_view text);   // 0 (none) or 1 to 99 percent
// The check of `field`'s typed value (the kind has none: always refused).
LimitFieldCheck CheckLimitField(LimitField field, std::string_view text);
// A size as those checks read it back: the largest unit that holds it whole ("2G"),
// else whole bytes; empty for a size not set (negative).
std::string LimitSizeText(int64_t bytes);
// Why the limit as set cannot apply under the plan, empty when it can.
std::string LimitProblem(const LimitSettings& limit, const DialupSettings& plan, const DerivedPlan& derived);

// More than a set amount within ten minutes of one connection: fires once, then stays
// quiet for the rest of that day.
class BurstWatch {
public:
    static constexpr double kWindowSeconds = 600;
    // One tick: a steady clock's seconds, the local now (for the day) and the live
    // connection's bytes so far (a count that drops is a new connection).
    bool Tick(double seconds, OleDate now, int64_t connectionBytes, int64_t burstBytes);

private:
    std::deque<std::pair<double, int64_t>> m_samples;
    double m_quietDay = -1;
};

}  // namespace vr31k

#include "accounting/UsageLimit.h"

#include "accounting/DailyUsage.h"
#include "common/ByteCount.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

namespace vr31k {

using namespace ids;

namespace {

// The limit's amount in bytes under the plan; 0 when it does not apply.
int64_t LimitAt(const LimitSettings& limit, const DialupSettings& plan, const DerivedPlan& derived) {
    if (limit.kind == kLimitCharge && limit.charge > 0) return BytesForCharge(plan, derived, limit.charge);
    if (limit.kind == kLimitBytes && limit.bytes > 0) return limit.bytes;
    return 0;
}

// "12", "1.5G", "640k": whole bytes, or a number of powers of 1024.
std::optional<int64_t> ParseSize(std::string_view text) {
    static constexpr std::string_view kUnits = "kmgt";
    int shift = 0;
    if (!text.empty()) {
        const auto unit = kUnits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(text.back()))));
        if (unit != std::string_view::npos) {
            shift = 10 * static_cast<int>(unit + 1);
            text.remove_suffix(1);
        }
    }
    const auto point = text.find('.');
    if (text.empty() || text.size() > 18 || point == 0 || point + 1 == text.size()) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != point && !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    }
    if (point != std::string_view::npos && shift == 0) return std::nullopt;  // no fraction of a byte
    const double value = std::ldexp(std::stod(std::string(text)), shift);
    if (value >= 9.2e18) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

LimitFieldCheck InRange(std::optional<int64_t> value, int64_t min, int64_t max, bool zeroOk, const char* minText,
                        const char* maxText) {
    LimitFieldCheck check;
    if (value && ((*value >= min && *value <= max) || (zeroOk && *value == 0))) {
        check.ok = true;
        check.value = *value;
    } else {
        check.text = FormatString(IDS_LIMIT_RANGE_TEXT, {zeroOk ? "0" : minText, maxText});
    }
    return check;
}

std::optional<int64_t> ParseWhole(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return std::stoll(std::string(text));
}

}  // namespace

LimitStatus CheckLimit(const LimitSettings& limit, const DialupSettings& plan, const DerivedPlan& derived,
                       int64_t periodBytes, int64_t liveBytes, int64_t overBytes) {
    LimitStatus status;
    const int64_t at = LimitAt(limit, plan, derived);
    if (at <= 0) return status;
    status.limitBytes = at;
    if (limit.warnRatio > 0 && limit.warnRatio < 100) {
        // A charge share the free fee already covers warns of nothing, as the notice.
        status.warnBytes = limit.kind == kLimitCharge
                               ? BytesForCharge(plan, derived, int64_t{limit.charge} * limit.warnRatio / 100)
                               : std::max<int64_t>(1, at / 100 * limit.warnRatio + at % 100 * limit.warnRatio / 100);
    }
    const int64_t total = AddSaturating(std::max<int64_t>(0, periodBytes), std::max<int64_t>(0, liveBytes));
    const int64_t end = AddSaturating(at, std::max<int64_t>(0, overBytes));
    status.bytesLeft = Remaining(end, total);
    const bool endless = overBytes == std::numeric_limits<int64_t>::max();
    status.state = !endless && total >= end                            ? LimitState::Reached
                   : status.warnBytes > 0 && total >= status.warnBytes ? LimitState::Warning
                                                                       : LimitState::Below;
    return status;
}

LimitStatus CheckCurrentLimit(const ChargeAccounting& charge, const LimitSettings& limit, int64_t overBytes) {
    return CheckLimit(limit, charge.Plan(), charge.Derived(), charge.Period().periodBytes,
                      charge.UncountedLiveBytes(), overBytes);
}

std::string LimitAmountText(const LimitSettings& limit) {
    if (limit.kind == kLimitCharge) {
        return FormatString(IDS_LIMIT_CHARGE_AMOUNT,
                            {FormatByteCount(static_cast<uint64_t>(std::max(0, limit.charge)), false, false)});
    }
    return FormatShortBytes(std::max<int64_t>(0, limit.bytes));
}

std::string LimitWarningText(const LimitSettings& limit) {
    return FormatString(IDS_LIMIT_WARNING_TEXT, {LimitAmountText(limit), std::to_string(limit.warnRatio)});
}

std::string LimitReachedText(const LimitSettings& limit) {
    return FormatString(IDS_LIMIT_REACHED_TEXT, {LimitAmountText(limit)});
}

std::string LimitConnectAnywayText(const LimitSettings& limit, int64_t moreBytes) {
    return FormatString(IDS_LIMIT_CONNECT_TEXT, {LimitAmountText(limit), FormatShortBytes(moreBytes)});
}

std::string BurstWarningText(int64_t burstBytes) { return FormatString(IDS_BURST_TEXT, {FormatShortBytes(burstBytes)}); }

std::optional<std::string> LimitRefusal(const ChargeAccounting& charge, const LimitSettings& limit, bool overLimit) {
    if (overLimit || CheckCurrentLimit(charge, limit).state != LimitState::Reached) return std::nullopt;
    return FormatString(IDS_LIMIT_REFUSED_TEXT, {LimitAmountText(limit)});
}

LimitFieldCheck CheckLimitCharge(std::string_view text) {
    return InRange(ParseWhole(text), 1, kMaxLimitCharge, false, "1", "999999");
}

LimitFieldCheck CheckLimitBytes(std::string_view text) {
    return InRange(ParseSize(text), kMinLimitBytes, kMaxLimitBytes, false, "1k", "1024T");
}

LimitFieldCheck CheckBurstBytes(std::string_view text) {
    return InRange(ParseSize(text), kMinLimitBytes, kMaxLimitBytes, true, "1k", "1024T");
}

LimitFieldCheck CheckWarnRatio(std::string_view text) {
    return InRange(ParseWhole(text), 1, kMaxLimitWarnRatio, true, "1", "99");
}

LimitFieldCheck CheckLimitField(LimitField field, std::string_view text) {
    switch (field) {
    case LimitField::Charge: return CheckLimitCharge(text);
    case LimitField::Bytes: return CheckLimitBytes(text);
    case LimitField::WarnRatio: return CheckWarnRatio(text);
    case LimitField::Burst: return CheckBurstBytes(text);
    case LimitField::Kind: break;
    }
    return {};
}

std::string LimitSizeText(int64_t bytes) {
    if (bytes < 0) return {};
    static constexpr std::string_view kUnits = "TGMk";
    for (size_t i = 0; i < kUnits.size(); ++i) {
        const int shift = 10 * static_cast<int>(kUnits.size() - i);
        if (bytes > 0 && bytes % (int64_t{1} << shift) == 0) return std::to_string(bytes >> shift) + kUnits[i];
    }
    return std::to_string(bytes);
}

std::string LimitProblem(const LimitSettings& limit, const DialupSettings& plan, const DerivedPlan& derived) {
    if (limit.kind != kLimitCharge || LimitAt(limit, plan, derived) > 0) return {};
    return std::string(LoadString(IDS_LIMIT_NOT_APPLICABLE_TEXT));
}

bool BurstWatch::Tick(double seconds, OleDate now, int64_t connectionBytes, int64_t burstBytes) {
    if (burstBytes <= 0 || !now.IsValid()) {
        m_samples.clear();
        return false;
    }
    if (!m_samples.empty() && (connectionBytes < m_samples.back().second || seconds < m_samples.back().first)) {
        m_samples.clear();  // a new connection, or a clock that went back
    }
    m_samples.emplace_back(seconds, connectionBytes);
    // The oldest sample kept is the last one at least ten minutes old: the baseline.
    while (m_samples.size() > 1 && m_samples[1].first <= seconds - kWindowSeconds) m_samples.pop_front();
    const double day = std::floor(now.value);
    if (day == m_quietDay || connectionBytes - m_samples.front().second <= burstBytes) return false;
    m_quietDay = day;
    return true;
}

}  // namespace vr31k

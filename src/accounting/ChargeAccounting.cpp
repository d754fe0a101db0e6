#include "accounting/ChargeAccounting.h"

#include "accounting/BillingPeriod.h"
#include "accounting/HistoryRowRules.h"
#include "common/ByteCount.h"

#include <algorithm>
#include <vector>

namespace vr31k {

// Every plan value unset, 128-byte packets, closing at the month's end; no plan applies
// until DerivePlan.
ChargeAccounting::ChargeAccounting() : m_clock(OleNow) {}

ChargeAccounting::~ChargeAccounting() = default;

void ChargeAccounting::DerivePlan() { m_derived = vr31k::DerivePlan(m_plan); }

int32_t ChargeAccounting::ComputeCharge(int64_t totalBytes, int64_t freeLeft, int64_t limitLeft) const {
    return vr31k::ComputeCharge(m_plan, m_derived, totalBytes, freeLeft, limitLeft);
}

int32_t ChargeAccounting::ComputePeriodCharge(int64_t& connectionBytes, int64_t& freeLeft, int64_t& limitLeft,
                                               bool includeLive) const {
    connectionBytes = AddSaturating(m_live.sent, m_live.recv);
    const int64_t total = AddSaturating(m_period.periodBytes, includeLive ? UncountedLiveBytes() : 0);
    return ComputeChargeForBytes(total, freeLeft, limitLeft);
}

int64_t ChargeAccounting::UncountedLiveBytes() const {
    return m_liveCounted ? 0 : AddSaturating(m_live.sent, m_live.recv);
}

int32_t ChargeAccounting::ComputeChargeForBytes(int64_t totalBytes, int64_t& freeLeft, int64_t& limitLeft) const {
    freeLeft = Remaining(m_derived.freeBytes, totalBytes);
    limitLeft = Remaining(m_derived.limitBytes, totalBytes);
    return ComputeCharge(totalBytes, freeLeft, limitLeft);
}

bool ChargeAccounting::IsPeriodOver() const {
    return m_plan.chargeDay > 0 && Now().value > m_period.periodEnd.value;
}

void ChargeAccounting::RecomputePeriod() {
    const OleDate now = Now();
    std::vector<std::string> periods;
    BuildPeriodList(periods, m_plan.chargeDay, now, now, &m_period.periodEnd);
    m_period.period = periods.empty() ? std::string() : periods.front();

    RangeTotals totals;
    if (!periods.empty()) {
        m_history.GetRangeTotals(std::string(PeriodStart(periods.front())), std::string(PeriodEnd(periods.front())),
                                 totals);
    }
    m_period.periodBytes = AddSaturating(totals.sent, totals.recv);
    m_period.freeLeft = Remaining(m_derived.freeBytes, m_period.periodBytes);
    m_period.limitLeft = Remaining(m_derived.limitBytes, m_period.periodBytes);
    m_period.noticeLeft = Remaining(m_derived.noticeBytes, m_period.periodBytes);
}

void ChargeAccounting::RereadPeriod() {
    RecomputePeriod();
    if (m_period.period == m_noticedPeriod && m_derived.noticeBytes == m_noticedBytes) m_period.noticeLeft = 0;
}

HistoryRow ChargeAccounting::MakeRow(const std::string& entry, OleDate end, int64_t seconds, int64_t sent,
                                     int64_t recv, int64_t periodBytesBefore, int64_t& freeLeft,
                                     int64_t& limitLeft) {
    HistoryRow row;
    row.entry = entry;
    row.end = end;
    // The start is the wall clock `seconds` earlier, whatever clock change lies between.
    row.start = OleMinusSeconds(end, seconds);
    row.duration = static_cast<double>(seconds) / kSecondsPerDay;
    row.sent = sent;
    row.recv = recv;
    // This connection's bytes on top of the period's.
    const int32_t charge =
        ComputeChargeForBytes(AddSaturating(periodBytesBefore, AddSaturating(sent, recv)), freeLeft, limitLeft);
    row.leftFree = freeLeft;
    row.leftLimit = limitLeft;
    if (charge >= 0) row.charge = charge;
    // A period without connections costs nothing yet (the plan's least charge is for use).
    int64_t freeBefore = 0, limitBefore = 0;
    const int32_t before = periodBytesBefore > 0 ? ComputeChargeForBytes(periodBytesBefore, freeBefore, limitBefore) : 0;
    m_lastConnectionCharge = charge >= 0 ? std::optional<int64_t>(charge - std::max(before, 0)) : std::nullopt;
    return row;
}

int ChargeAccounting::RecordConnection(bool stampNow, HistoryRow* recorded) {
    if (stampNow) m_live.endTime = Now();
    int result = kRecordNotStamped;
    if (m_live.endTime.IsValid()) {
        int64_t freeLeft = 0, limitLeft = 0;
        const HistoryRow row = MakeRow(m_live.entryName, m_live.endTime, m_live.durationMs / 1000, m_live.sent,
                                       m_live.recv, m_period.periodBytes, freeLeft, limitLeft);
        // Counted or not before, the connection's bytes are the period's now.
        const int64_t connection = AddSaturating(m_live.sent, m_live.recv);
        m_period.periodBytes = AddSaturating(m_period.periodBytes, connection);
        m_period.noticeLeft = Remaining(m_period.noticeLeft, connection);
        m_period.freeLeft = freeLeft;
        m_period.limitLeft = limitLeft;
        m_liveCounted = true;
        result = m_history.InsertHistory(row);
        if (recorded != nullptr) *recorded = row;
    }
    m_live.endTime = OleDate::Null();
    PruneHistory();
    return result;
}

int ChargeAccounting::RecordEndedConnection(const std::string& entry, OleDate end, int64_t seconds, int64_t sent,
                                            int64_t recv, std::string& problem, HistoryRow* recorded) {
    std::vector<std::string> periods;
    BuildPeriodList(periods, m_plan.chargeDay, end, end, nullptr);
    RangeTotals before;
    if (!periods.empty()) {
        m_history.GetRangeTotals(std::string(PeriodStart(periods.front())), std::string(PeriodEnd(periods.front())),
                                 before);
    }
    int64_t freeLeft = 0, limitLeft = 0;
    const HistoryRow row =
        MakeRow(entry, end, seconds, sent, recv, AddSaturating(before.sent, before.recv), freeLeft, limitLeft);
    problem = HistoryRowProblem(row, Now());
    if (!problem.empty()) return kDbBadArgument;
    const int result = m_history.InsertHistory(row);
    if (recorded != nullptr) *recorded = row;
    return result;
}

void ChargeAccounting::PruneHistory() {
    std::vector<std::string> periods;
    const int closingDay = m_plan.chargeDay > 0 ? m_plan.chargeDay : kClosingDayMonthEnd;
    if (m_history.GetHistoryPeriods(periods, closingDay) != kDbOk || periods.size() <= kKeptPeriods) return;
    // Everything from the oldest row to the end of the sixteenth newest period goes.
    m_history.DeleteRange(std::string(PeriodStart(periods.back())), std::string(PeriodEnd(periods[kKeptPeriods])));
}

bool ChargeAccounting::CheckNotice() {
    // Bytes a recorded row holds already took their share of noticeLeft; the tick that
    // follows a connection's end must not count them again.
    const int64_t connection = UncountedLiveBytes();
    if (m_period.noticeLeft > 0 && connection > 0 && connection >= m_period.noticeLeft) {
        m_period.noticeLeft = 0;
        m_noticedPeriod = m_period.period;
        m_noticedBytes = m_derived.noticeBytes;
        return true;
    }
    return false;
}

}  // namespace vr31k

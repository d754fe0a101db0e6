#pragma once
// The accounting half of the charge controller: the plan and the charge derived from
// it, the running totals of the current billing period, the one-time charge notice,
// and one history row per finished connection with the history kept to fifteen
// billing periods.
#include "accounting/ChargePlan.h"
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/OleDate.h"
#include "common/SettingsStore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vr31k {

// A finished or running connection as the dial-up half hands it over. The dial-up
// monitor thread zeroes it when a connection comes up and stamps `endTime` at line loss
// before it posts its notice; the main thread reads it only after that notice, so the
// queue of notices orders every access and nothing here is locked.
struct LiveConnection {
    int64_t sent = 0;
    int64_t recv = 0;
    int64_t durationMs = 0;  // 64 bits: a connection may outlast 2^31 ms (24.8 days)
    std::string entryName;
    OleDate endTime = OleDate::Null();  // null from dialling until the end is stamped
};

struct PeriodState {
    std::string period;                               // "YYYY/MM/DD - YYYY/MM/DD"
    OleDate periodEnd{0.0, OleDate::Status::Valid};  // the period's last second
    int64_t periodBytes = 0;  // finished connections of the period
    int64_t freeLeft = 0;     // after the last finished connection
    int64_t limitLeft = 0;
    int64_t noticeLeft = 0;   // 0 once the notice fired, or when no notice applies
};

// Billing periods the history keeps.
inline constexpr size_t kKeptPeriods = 15;
// RecordConnection's result when there was no end time to record.
inline constexpr int kRecordNotStamped = -1;

class ChargeAccounting {
public:
    using Clock = std::function<OleDate()>;

    ChargeAccounting();
    virtual ~ChargeAccounting();
    ChargeAccounting(const ChargeAccounting&) = delete;
    ChargeAccounting& operator=(const ChargeAccounting&) = delete;

    // The DUP_CONFIG values; DerivePlan() applies a change.
    DialupSettings& Plan() { return m_plan; }
    const DialupSettings& Plan() const { return m_plan; }
    const DerivedPlan& Derived() const { return m_derived; }
    const PeriodState& Period() const { return m_period; }
    LiveConnection& Live() { return m_live; }
    const LiveConnection& Live() const { return m_live; }
    CDbHistoryCtrl& History() { return m_history; }
    const CDbHistoryCtrl& History() const { return m_history; }

    // The local wall clock every "now" of this class reads (tests set their own).
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    OleDate Now() const { return m_clock(); }

    void DerivePlan();
    // Estimated charge of a period total, or -1 when no plan applies.
    int32_t ComputeCharge(int64_t totalBytes, int64_t freeLeft, int64_t limitLeft) const;
    // A new connection's figures begin: they are not in the period's totals yet.
    void BeginConnection() { m_liveCounted = false; }
    // The live connection's bytes that the period's totals do not hold yet (none once
    // its row is recorded).
    int64_t UncountedLiveBytes() const;
    // The live connection's row is written (until the next connection begins).
    bool LiveRecorded() const { return m_liveCounted; }
    // The period's charge with (or without) the live connection's bytes not yet counted.
    int32_t ComputePeriodCharge(int64_t& connectionBytes, int64_t& freeLeft, int64_t& limitLeft,
                                bool includeLive) const;
    int32_t ComputeChargeForBytes(int64_t totalBytes, int64_t& freeLeft, int64_t& limitLeft) const;
    bool IsPeriodOver() const;
    // Finds the period holding now and reloads its totals from the history. With the
    // history closed the totals count as 0.
    void RecomputePeriod();
    // The same when the history or the plan changed under a running program: a notice
    // already given in this period for the same amount is not given again.
    void RereadPeriod();
    // Records the connection in `Live()` when its end time is stamped (now, when
    // `stampNow`), then prunes the history to the newest fifteen periods. Returns 0,
    // kRecordNotStamped, or the history's code when the row could not be written;
    // `recorded`, when given, receives the row.
    int RecordConnection(bool stampNow, HistoryRow* recorded = nullptr);
    // True once per period: when the live connection's bytes not yet recorded reach
    // the notice amount.
    bool CheckNotice();
    // Records a connection that ended without this program watching it (a spooled
    // record): its charge counts the history's rows of its own billing period, so a
    // record imported late is charged as if recorded when it ended. The history's code;
    // kDbBadArgument, with `problem` said, for figures the history does not take.
    int RecordEndedConnection(const std::string& entry, OleDate end, int64_t seconds, int64_t sent, int64_t recv,
                              std::string& problem, HistoryRow* recorded = nullptr);

    // The last recorded connection's own share of its period's charge: what the period's
    // charge grew by with it. Empty without a plan.
    std::optional<int64_t> LastConnectionCharge() const { return m_lastConnectionCharge; }

private:
    void PruneHistory();
    // The row of a connection whose period held `periodBytesBefore` before it; the
    // period's figures after it in `freeLeft` and `limitLeft`.
    HistoryRow MakeRow(const std::string& entry, OleDate end, int64_t seconds, int64_t sent, int64_t recv,
                       int64_t periodBytesBefore, int64_t& freeLeft, int64_t& limitLeft);

    DialupSettings m_plan;
    DerivedPlan m_derived;
    PeriodState m_period;
    LiveConnection m_live;
    bool m_liveCounted = false;  // RecordConnection added the live bytes to the period
    std::optional<int64_t> m_lastConnectionCharge;
    // The period and the amount of the last notice given.
    std::string m_noticedPeriod;
    int64_t m_noticedBytes = -1;
    CDbHistoryCtrl m_history;
    Clock m_clock;
};

}  // namespace vr31k

#pragma once
// Totals per billing period: the periods that hold connections, newest first; the
// selected period's totals with its charge under the current plan; for the current
// period, where its charge is heading; and the period day by day as a chart, with the
// days the current period would reach its amounts marked.
#include "accounting/DailyUsage.h"
#include "accounting/PeriodPace.h"
#include "accounting/PeriodProjection.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;

namespace vr31k {

class UsageChartView;

class CCfgHistoryTotalMonthPage : public QWidget {
    Q_OBJECT
public:
    // Where the period (as the list shows it) is heading: not available for any but
    // the current one. None by default.
    using Projection = std::function<PeriodProjection(const std::string& period)>;

    // The period's pace (the days its amounts would be reached), likewise.
    using Pace = std::function<PeriodPace(const std::string& period)>;

    explicit CCfgHistoryTotalMonthPage(ChargeAccounting& charge, QWidget* parent = nullptr);
    void SetProjection(Projection projection);
    void SetPace(Pace pace);
    QListWidget* Periods() const { return m_periods; }
    const DailyUsage& Usage() const { return m_usage; }
    QLineEdit* ProjectionLine() const { return m_projectionLine; }
    QLabel* ProjectionWarningLine() const { return m_projectionWarning; }
    // The days the chart's bands stand for, in words; hidden without a band.
    QLabel* ReachLine() const { return m_reach; }

private:
    void ShowPeriod(int row);
    void ShowProjection(const std::string& period);
    void ShowReaches();

    ChargeAccounting& m_charge;
    Projection m_projection;
    Pace m_pace;
    DailyUsage m_usage;
    QListWidget* m_periods;
    QLineEdit* m_duration;
    QLineEdit* m_sent;
    QLineEdit* m_recv;
    QLineEdit* m_chargeValue;
    QLineEdit* m_freeLeft;
    QLineEdit* m_limitLeft;
    QLineEdit* m_projectionLine;
    QLabel* m_projectionWarning;
    UsageChartView* m_chart;
    QLabel* m_reach;
};

}  // namespace vr31k

#pragma once
// Totals per billing period: the periods that hold connections, newest first; the
// selected period's totals with its charge under the current plan; and the period day
// by day as a chart.
#include "accounting/DailyUsage.h"

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;

namespace vr31k {

class UsageChartView;

class CCfgHistoryTotalMonthPage : public QWidget {
    Q_OBJECT
public:
    // Fills in where the period is heading (DailyUsage::projectedCharge) before the
    // chart is drawn; none by default.
    using Projection = std::function<void(DailyUsage&)>;

    explicit CCfgHistoryTotalMonthPage(ChargeAccounting& charge, QWidget* parent = nullptr);
    void SetProjection(Projection projection);
    QListWidget* Periods() const { return m_periods; }
    const DailyUsage& Usage() const { return m_usage; }

private:
    void ShowPeriod(int row);

    ChargeAccounting& m_charge;
    Projection m_projection;
    DailyUsage m_usage;
    QListWidget* m_periods;
    QLabel* m_duration;
    QLabel* m_sent;
    QLabel* m_recv;
    QLabel* m_chargeValue;
    QLabel* m_freeLeft;
    QLabel* m_limitLeft;
    UsageChartView* m_chart;
};

}  // namespace vr31k

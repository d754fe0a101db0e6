#pragma once
// A billing period at a glance: each day's bytes as bars, the period's estimated charge
// as a running line, the plan's free allowance, cap and notice amount as horizontal
// lines, today marked, and bands over the days the period would reach the notice, the
// cap or the user's limit at its pace. Redrawn from a DailyUsage whenever the period changes.
#include "accounting/DailyUsage.h"

#include <QColor>
#include <QtCharts/QChartView>

#include <vector>

namespace vr31k {

class UsageChartView : public QChartView {
    Q_OBJECT
public:
    explicit UsageChartView(QWidget* parent = nullptr);
    // Replaces the chart with `usage`; an empty usage leaves an empty chart.
    void ShowUsage(const DailyUsage& usage);

    // Each band's colour and its sentence (also the chart's accessible description),
    // for a line under the chart: the legend has no room for them.
    struct Reach {
        QColor color;
        QString text;
    };
    const std::vector<Reach>& Reaches() const { return m_reaches; }

private:
    std::vector<Reach> m_reaches;
};

// The days of a period of `days` days that get a label on the time axis: the first,
// then every few days so that at most `maxLabels` appear.
int LabelStep(int days, int maxLabels);

}  // namespace vr31k

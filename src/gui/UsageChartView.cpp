#include "gui/UsageChartView.h"

#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/QtMessageBox.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kMaxLabels = 8;
constexpr double kHeadroom = 1.1;  // room above the highest bar or line

QPen LinePen(const QColor& color, Qt::PenStyle style, qreal width = 1.5) {
    QPen pen(color);
    pen.setStyle(style);
    pen.setWidthF(width);
    return pen;
}

QString DayLabel(OleDate day, bool withYear) {
    DateParts p;
    if (!SplitOleDate(day, p)) return {};
    return withYear ? QStringLiteral("%1/%2/%3").arg(p.year).arg(p.month).arg(p.day)
                    : QStringLiteral("%1/%2").arg(p.month).arg(p.day);
}

// A line across the whole period at `yen`.
QLineSeries* Level(int textId, int32_t yen, int days, const QPen& pen) {
    auto* series = new QLineSeries;
    series->setName(Text(textId));
    series->append(-0.5, yen);
    series->append(days - 0.5, yen);
    series->setPen(pen);
    return series;
}

// The days (as indexes of the period's) from the earlier to the later of the two paces'
// days; none when neither pace reaches it within the period.
std::optional<std::pair<int, int>> ReachSpan(const DailyUsage& usage, const PaceTarget& target) {
    std::vector<double> at;
    for (const auto& day : {target.byMean, target.byWeek}) {
        if (day) at.push_back(std::floor(day->value) - std::floor(usage.days.front().day.value));
    }
    if (at.empty()) return std::nullopt;
    const auto [first, last] = std::minmax_element(at.begin(), at.end());
    const int days = static_cast<int>(usage.days.size());
    if (*first >= days || *last < 0) return std::nullopt;
    return std::pair{std::max(0, static_cast<int>(*first)), std::min(days - 1, static_cast<int>(*last))};
}

QColor MarkColor(PaceMark mark) {
    switch (mark) {
    case PaceMark::Cap: return {0x55, 0x55, 0x55};
    case PaceMark::Limit: return {0x80, 0x30, 0xa0};
    default: return {0xd0, 0x70, 0x00};  // the notice's line
    }
}

// A band over the days the amount would be reached, as high as the byte axis.
QAreaSeries* ReachBand(std::pair<int, int> span, double top, PaceMark mark) {
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    for (const double x : {span.first - 0.45, span.second + 0.45}) {
        upper->append(x, top);
        lower->append(x, 0);
    }
    auto* band = new QAreaSeries(upper, lower);
    upper->setParent(band);
    lower->setParent(band);
    QColor fill = MarkColor(mark);
    band->setPen(LinePen(fill, Qt::SolidLine, 1));
    fill.setAlpha(60);
    band->setBrush(fill);
    return band;
}

}  // namespace

int LabelStep(int days, int maxLabels) {
    if (days <= 0 || maxLabels <= 0) return 1;
    return std::max(1, (days + maxLabels - 1) / maxLabels);
}

UsageChartView::UsageChartView(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("usageChart"));
    setAccessibleName(Text(IDS_CHART_NAME));
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(260);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
}

void UsageChartView::ShowUsage(const DailyUsage& usage) {
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    setAccessibleDescription(QString());
    m_reaches.clear();
    const int days = static_cast<int>(usage.days.size());
    if (days == 0) return;

    int64_t maxBytes = 0;
    int32_t maxYen = std::max({usage.freeAmount, usage.cap, usage.noticeAmount, usage.projectedCharge.value_or(0)});
    for (const DailyUsagePoint& p : usage.days) {
        maxBytes = std::max(maxBytes, p.bytes);
        maxYen = std::max(maxYen, p.cumulativeCharge);
    }
    const ByteUnit unit = ByteUnitFor(maxBytes);

    auto* time = new QCategoryAxis;
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    time->setRange(-0.5, days - 0.5);
    time->setStartValue(-0.5);
    const bool withYear = days > 366;
    const int step = LabelStep(days, kMaxLabels);
    for (int i = 0; i < days; i += step) time->append(DayLabel(usage.days[static_cast<size_t>(i)].day, withYear), i);
    time->setGridLineVisible(false);
    c->addAxis(time, Qt::AlignBottom);

    auto* bytesAxis = new QValueAxis;
    bytesAxis->setTitleText(QString::fromLatin1(unit.name));
    bytesAxis->setRange(0, std::max(1.0, static_cast<double>(maxBytes) / unit.divisor * kHeadroom));
    bytesAxis->applyNiceNumbers();
    bytesAxis->setLabelFormat(QStringLiteral("%.4g"));
    c->addAxis(bytesAxis, Qt::AlignLeft);

    auto* yenAxis = new QValueAxis;
    yenAxis->setTitleText(Text(IDS_CHART_YEN));
    yenAxis->setRange(0, std::max(1.0, maxYen * kHeadroom));
    yenAxis->applyNiceNumbers();
    yenAxis->setLabelFormat(QStringLiteral("%.0f"));
    yenAxis->setGridLineVisible(false);
    c->addAxis(yenAxis, Qt::AlignRight);

    auto* bars = new QBarSet(Text(IDS_CHART_DAILY_BYTES));
    for (const DailyUsagePoint& p : usage.days) bars->append(static_cast<double>(p.bytes) / unit.divisor);
    bars->setColor(QColor(0x4a, 0x86, 0xc8));
    bars->setSelectedColor(QColor(0xe8, 0x8a, 0x1a));
    if (usage.todayIndex >= 0) bars->selectBar(usage.todayIndex);
    auto* barSeries = new QBarSeries;
    barSeries->setBarWidth(0.8);
    barSeries->append(bars);
    c->addSeries(barSeries);
    barSeries->attachAxis(time);
    barSeries->attachAxis(bytesAxis);

    const auto addLine = [&](QAbstractSeries* series, QValueAxis* axis) {
        c->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(axis);
    };
    // Without a plan there is no charge to draw.
    if (usage.days.front().cumulativeCharge >= 0) {
        auto* charge = new QLineSeries;
        charge->setName(Text(IDS_CHART_CHARGE));
        charge->setPen(LinePen(QColor(0xc0, 0x30, 0x30), Qt::SolidLine, 2));
        // Up to today in the current period: the days ahead have no charge yet.
        const int drawn = usage.todayIndex >= 0 ? usage.todayIndex + 1 : days;
        for (int i = 0; i < drawn; ++i) charge->append(i, usage.days[static_cast<size_t>(i)].cumulativeCharge);
        addLine(charge, yenAxis);
    }
    if (usage.freeAmount > 0) {
        addLine(Level(IDS_CHART_FREE_AMOUNT, usage.freeAmount, days, LinePen(QColor(0x2e, 0x8b, 0x57), Qt::DashLine)),
                yenAxis);
    }
    if (usage.cap > 0) {
        addLine(Level(IDS_CHART_CAP, usage.cap, days, LinePen(QColor(0x55, 0x55, 0x55), Qt::DashLine)), yenAxis);
    }
    if (usage.noticeAmount > 0) {
        addLine(Level(IDS_CHART_NOTICE, usage.noticeAmount, days, LinePen(QColor(0xd0, 0x70, 0x00), Qt::DotLine)),
                yenAxis);
    }
    if (usage.projectedCharge && usage.todayIndex >= 0) {
        auto* projection = new QLineSeries;
        projection->setName(Text(IDS_CHART_PROJECTION));
        projection->setPen(LinePen(QColor(0xc0, 0x30, 0x30), Qt::DashDotLine));
        projection->append(usage.todayIndex, usage.days[static_cast<size_t>(usage.todayIndex)].cumulativeCharge);
        projection->append(days - 1, *usage.projectedCharge);
        addLine(projection, yenAxis);
    }
    // The days the notice, the cap or the user's limit would be reached at the pace so
    // far, said in sentences (Reaches) rather than in the legend, which elides long names;
    // a screen reader reads them as the chart's description.
    QStringList reaches;
    for (const PaceTarget& target : usage.paceTargets) {
        if (target.mark == PaceMark::FreeAllowance) continue;
        const std::optional<std::pair<int, int>> span = ReachSpan(usage, target);
        if (!span) continue;
        const std::string name = PaceMarkName(target.mark);
        const std::string when = FormatPaceDays(target);
        QAreaSeries* band = ReachBand(*span, bytesAxis->max(), target.mark);
        band->setName(QString::fromStdString(FormatString(IDS_CHART_REACH, {name, when})));
        addLine(band, bytesAxis);
        for (QLegendMarker* marker : c->legend()->markers(band)) marker->setVisible(false);
        m_reaches.push_back(
            {MarkColor(target.mark), QString::fromStdString(FormatString(IDS_CHART_REACH_DESCRIPTION, {name, when}))});
        reaches << m_reaches.back().text;
    }
    setAccessibleDescription(reaches.join(QLatin1Char('\n')));
    if (usage.todayIndex >= 0) {
        auto* today = new QLineSeries;
        today->setName(Text(IDS_CHART_TODAY));
        today->setPen(LinePen(QColor(0xe8, 0x8a, 0x1a), Qt::DashLine));
        today->append(usage.todayIndex, 0);
        today->append(usage.todayIndex, bytesAxis->max());
        addLine(today, bytesAxis);
    }
}

}  // namespace vr31k

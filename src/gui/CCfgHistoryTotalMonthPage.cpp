#include "gui/CCfgHistoryTotalMonthPage.h"

#include "accounting/BillingPeriod.h"
#include "common/StringIds.h"
#include "gui/CAppDlg.h"
#include "gui/ProjectionLine.h"
#include "gui/TotalsFields.h"
#include "gui/UsageChartView.h"
#include "mainwnd/HistoryViewRules.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgHistoryTotalMonthPage::CCfgHistoryTotalMonthPage(ChargeAccounting& charge, QWidget* parent)
    : QWidget(parent), m_charge(charge) {
    setObjectName(QStringLiteral("CCfgHistoryTotalMonthPage"));
    m_periods = MakeTotalsList(this, IDS_TOTALS_PERIOD_LIST, QStringLiteral("periodList"));

    auto* fields = new QGridLayout;
    m_duration = AddTotalsField(this, fields, 0, IDS_TOTALS_DURATION, QStringLiteral("durationValue"));
    m_sent = AddTotalsField(this, fields, 1, IDS_TOTALS_SENT, QStringLiteral("sentValue"));
    m_recv = AddTotalsField(this, fields, 2, IDS_TOTALS_RECV, QStringLiteral("recvValue"));
    m_chargeValue = AddTotalsField(this, fields, 3, IDS_TOTALS_CHARGE, QStringLiteral("chargeValue"));
    m_freeLeft = AddTotalsField(this, fields, 4, IDS_TOTALS_FREE_LEFT, QStringLiteral("freeLeftValue"));
    m_limitLeft = AddTotalsField(this, fields, 5, IDS_TOTALS_LIMIT_LEFT, QStringLiteral("limitLeftValue"));
    m_projectionLine = MakeProjectionLine(this, QStringLiteral("projectionLine"));
    // The warning in words, under the line; a screen reader reads it as its name.
    m_projectionWarning = new QLabel(this);
    m_projectionWarning->setObjectName(QStringLiteral("projectionWarning"));
    m_projectionWarning->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetWarningLook(m_projectionWarning, true);
    fields->addWidget(m_projectionLine, 6, 0, 1, 2);
    fields->addWidget(m_projectionWarning, 7, 0, 1, 2);
    m_projectionLine->hide();
    m_projectionWarning->hide();
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(8, 1);

    m_chart = new UsageChartView(this);
    m_chart->setMinimumWidth(560);
    m_reach = new QLabel(this);
    m_reach->setObjectName(QStringLiteral("reachLine"));
    m_reach->setTextFormat(Qt::RichText);
    m_reach->hide();
    auto* note = new QLabel(Text(IDS_HISTORY_NOTE), this);
    note->setObjectName(QStringLiteral("noteLabel"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_periods);
    top->addLayout(fields, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_chart, 1);
    layout->addWidget(m_reach);
    layout->addWidget(note);

    std::vector<std::string> periods;
    m_charge.History().GetHistoryPeriods(periods, m_charge.Plan().chargeDay);  // none for an empty history
    for (const std::string& period : periods) m_periods->addItem(QString::fromStdString(period));
    connect(m_periods, &QListWidget::currentRowChanged, this, &CCfgHistoryTotalMonthPage::ShowPeriod);
    if (m_periods->count() > 0) m_periods->setCurrentRow(0);
}

void CCfgHistoryTotalMonthPage::SetProjection(Projection projection) {
    m_projection = std::move(projection);
    ShowPeriod(m_periods->currentRow());
}

void CCfgHistoryTotalMonthPage::SetPace(Pace pace) {
    m_pace = std::move(pace);
    ShowPeriod(m_periods->currentRow());
}

void CCfgHistoryTotalMonthPage::ShowPeriod(int row) {
    if (row < 0 || row >= m_periods->count()) return;
    const std::string period = m_periods->item(row)->text().toStdString();
    RangeTotals totals;
    if (m_charge.History().GetRangeTotals(std::string(PeriodStart(period)), std::string(PeriodEnd(period)), totals) ==
        kDbOk) {
        int64_t freeLeft = 0, limitLeft = 0;
        const int32_t charge = m_charge.ComputeChargeForBytes(totals.sent + totals.recv, freeLeft, limitLeft);
        m_duration->setText(QString::fromStdString(FormatHistoryDuration(totals.duration)));
        m_sent->setText(QString::fromStdString(FormatHistoryBytes(totals.sent)));
        m_recv->setText(QString::fromStdString(FormatHistoryBytes(totals.recv)));
        m_chargeValue->setText(QString::fromStdString(FormatHistoryCharge(charge)));
        m_freeLeft->setText(QString::fromStdString(FormatHistoryBytes(freeLeft)));
        m_limitLeft->setText(QString::fromStdString(FormatHistoryBytes(limitLeft)));
    }
    if (BuildDailyUsage(m_charge, period, m_usage) != kDbOk) m_usage = DailyUsage{};
    ShowProjection(period);
    if (m_pace && !m_usage.days.empty()) m_usage.paceTargets = m_pace(period).targets;
    m_chart->ShowUsage(m_usage);
    ShowReaches();
}

// One line a band, led by a square of the band's colour; read as plain sentences.
void CCfgHistoryTotalMonthPage::ShowReaches() {
    QStringList lines, plain;
    for (const UsageChartView::Reach& reach : m_chart->Reaches()) {
        lines << QStringLiteral("<span style=\"color:%1\">\u25A0</span> %2")
                     .arg(reach.color.name(), reach.text.toHtmlEscaped());
        plain << reach.text;
    }
    m_reach->setText(lines.join(QStringLiteral("<br>")));
    m_reach->setAccessibleName(plain.join(QLatin1Char('\n')));
    m_reach->setVisible(!lines.isEmpty());
}

void CCfgHistoryTotalMonthPage::ShowProjection(const std::string& period) {
    const PeriodProjection projection = m_projection ? m_projection(period) : PeriodProjection{};
    const ProjectionText text = FormatProjection(projection);
    // Past periods and periods without an end have nowhere to head: no line at all.
    m_projectionLine->setVisible(text.shown);
    m_projectionWarning->setVisible(text.shown && text.warning);
    if (!text.shown) return;
    vr31k::ShowProjection(m_projectionLine, text);
    m_projectionWarning->setText(QString::fromStdString(text.warningText));
    if (!m_usage.days.empty()) m_usage.projectedCharge = projection.projectedCharge;
}

}  // namespace vr31k

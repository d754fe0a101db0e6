#include "gui/CCfgHistoryTotalEntryPage.h"

#include "common/StringIds.h"
#include "gui/QtMessageBox.h"
#include "gui/TotalsFields.h"
#include "mainwnd/HistoryViewRules.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>

namespace vr31k {

using namespace ids;

CCfgHistoryTotalEntryPage::CCfgHistoryTotalEntryPage(const CDbHistoryCtrl& history, QWidget* parent)
    : QWidget(parent), m_history(history) {
    setObjectName(QStringLiteral("CCfgHistoryTotalEntryPage"));
    m_entries = MakeTotalsList(this, IDS_TOTALS_ENTRY_LIST, QStringLiteral("entryList"));

    auto* fields = new QGridLayout;
    m_duration = AddTotalsField(this, fields, 0, IDS_TOTALS_DURATION, QStringLiteral("durationValue"));
    m_sent = AddTotalsField(this, fields, 1, IDS_TOTALS_SENT, QStringLiteral("sentValue"));
    m_recv = AddTotalsField(this, fields, 2, IDS_TOTALS_RECV, QStringLiteral("recvValue"));
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(3, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_entries);
    layout->addLayout(fields, 1);

    std::vector<std::string> names;
    m_history.GetEntryNames(names);
    for (const std::string& name : names) m_entries->addItem(QString::fromStdString(name));
    connect(m_entries, &QListWidget::currentRowChanged, this, &CCfgHistoryTotalEntryPage::ShowEntry);
    if (m_entries->count() > 0) m_entries->setCurrentRow(0);
}

void CCfgHistoryTotalEntryPage::ShowEntry(int row) {
    if (row < 0 || row >= m_entries->count()) return;
    EntryTotals totals;
    if (m_history.GetEntryTotals(m_entries->item(row)->text().toStdString(), totals) != kDbOk) return;
    m_duration->setText(QString::fromStdString(FormatHistoryDuration(totals.duration)));
    m_sent->setText(QString::fromStdString(FormatHistoryBytes(totals.sent)));
    m_recv->setText(QString::fromStdString(FormatHistoryBytes(totals.recv)));
}

}  // namespace vr31k

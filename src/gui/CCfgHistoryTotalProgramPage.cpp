#include "gui/CCfgHistoryTotalProgramPage.h"

#include "accounting/BillingPeriod.h"
#include "common/StringIds.h"
#include "gui/CAppDlg.h"
#include "gui/TotalsFields.h"
#include "mainwnd/ProgramViewRules.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vr31k {

using namespace ids;

CCfgHistoryTotalProgramPage::CCfgHistoryTotalProgramPage(const CDbHistoryCtrl& history, int closingDay,
                                                         QWidget* parent)
    : QWidget(parent), m_history(history) {
    setObjectName(QStringLiteral("CCfgHistoryTotalProgramPage"));
    m_periods = MakeTotalsList(this, IDS_TOTALS_PERIOD_LIST, QStringLiteral("periodList"));
    m_programs = new QTableWidget(0, kProgramColumnCount, this);
    CAppDlg::Identify(m_programs, IDS_PROGRAM_LIST, QStringLiteral("programTable"));
    QStringList headings;
    for (int id : kProgramColumnTextIds) headings << Text(id);
    m_programs->setHorizontalHeaderLabels(headings);
    m_programs->verticalHeader()->hide();
    // Sorted here and the rows made anew: the table's own sort would move rows under the
    // cells a screen reader holds.
    QHeaderView* header = m_programs->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::DescendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this] { Fill(); });
    m_programs->setWordWrap(false);
    m_programs->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_programs->horizontalHeader()->setSectionResizeMode(kProgColName, QHeaderView::Stretch);
    m_programs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_programs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_programs->setMinimumWidth(640);
    m_missing = new QLabel(this);
    m_missing->setObjectName(QStringLiteral("missingLine"));
    m_missing->setWordWrap(true);
    auto* note = new QLabel(Text(IDS_PROGRAM_NOTE), this);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setAccessibleName(note->text());
    note->setWordWrap(true);

    auto* right = new QVBoxLayout;
    right->addWidget(m_programs, 1);
    right->addWidget(m_missing);
    right->addWidget(note);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_periods);
    layout->addLayout(right, 1);

    std::vector<std::string> periods;
    m_history.GetHistoryPeriods(periods, closingDay);  // none for an empty history
    for (const std::string& period : periods) m_periods->addItem(QString::fromStdString(period));
    connect(m_periods, &QListWidget::currentRowChanged, this, &CCfgHistoryTotalProgramPage::ShowPeriod);
    if (m_periods->count() > 0) m_periods->setCurrentRow(0);
    m_missing->setVisible(!m_missing->text().isEmpty());
}

void CCfgHistoryTotalProgramPage::ShowPeriod(int row) {
    if (row < 0 || row >= m_periods->count()) return;
    const std::string period = m_periods->item(row)->text().toStdString();
    PeriodPrograms programs;
    m_history.GetPeriodPrograms(std::string(PeriodStart(period)), std::string(PeriodEnd(period)), programs);
    m_rows = ProgramRowViews(programs);
    Fill();
    const QString missing = QString::fromStdString(ProgramsMissingText(programs));
    m_missing->setText(missing);
    m_missing->setAccessibleName(missing);
    m_missing->setVisible(!missing.isEmpty());
}

void CCfgHistoryTotalProgramPage::Fill() {
    const QHeaderView* header = m_programs->horizontalHeader();
    const int column = header->sortIndicatorSection();
    std::vector<const ProgramRowView*> order;
    for (const ProgramRowView& row : m_rows) order.push_back(&row);
    if (column >= 0 && column < kProgramColumnCount) {
        const auto at = static_cast<size_t>(column);
        const bool descending = header->sortIndicatorOrder() == Qt::DescendingOrder;
        std::stable_sort(order.begin(), order.end(), [&](const ProgramRowView* a, const ProgramRowView* b) {
            const int compared =
                a->keys[at] != b->keys[at]
                    ? (a->keys[at] < b->keys[at] ? -1 : 1)
                    : QString::fromStdString(a->cells[at]).localeAwareCompare(QString::fromStdString(b->cells[at]));
            return descending ? compared > 0 : compared < 0;
        });
    }
    m_programs->clearContents();  // a reset of the table's model: a reader drops what it held
    m_programs->setRowCount(0);
    for (const ProgramRowView* view : order) {
        const int at = m_programs->rowCount();
        m_programs->insertRow(at);
        for (int c = 0; c < kProgramColumnCount; ++c) {
            auto* cell = new QTableWidgetItem(QString::fromStdString(view->cells[static_cast<size_t>(c)]));
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c >= kProgColSent) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == kProgColName) cell->setToolTip(cell->text());  // the whole name where it is cut
            m_programs->setItem(at, c, cell);
        }
    }
}

}  // namespace vr31k

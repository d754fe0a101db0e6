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

namespace vr31k {

using namespace ids;

namespace {

constexpr int kSortKeyRole = Qt::UserRole;

// A cell that sorts by its number where its column has one, else by its text.
class ProgramCell : public QTableWidgetItem {
public:
    ProgramCell(const std::string& text, int64_t key) : QTableWidgetItem(QString::fromStdString(text)) {
        setData(kSortKeyRole, static_cast<qlonglong>(key));
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const qlonglong a = data(kSortKeyRole).toLongLong(), b = other.data(kSortKeyRole).toLongLong();
        if (a != b) return a < b;
        return text().localeAwareCompare(other.text()) < 0;
    }
};

}  // namespace

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
    m_programs->horizontalHeader()->setSectionResizeMode(kProgColName, QHeaderView::Stretch);
    m_programs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_programs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_programs->setMinimumWidth(640);
    m_missing = new QLabel(this);
    m_missing->setObjectName(QStringLiteral("missingLine"));
    m_missing->setWordWrap(true);
    auto* note = new QLabel(Text(IDS_PROGRAM_NOTE), this);
    note->setObjectName(QStringLiteral("noteLabel"));
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
    // Sorting while rows go in would move them under the loop.
    m_programs->setSortingEnabled(false);
    m_programs->setRowCount(0);
    for (const ProgramRowView& view : ProgramRowViews(programs)) {
        const int at = m_programs->rowCount();
        m_programs->insertRow(at);
        for (int column = 0; column < kProgramColumnCount; ++column) {
            auto* cell = new ProgramCell(view.cells[static_cast<size_t>(column)], view.keys[static_cast<size_t>(column)]);
            if (column >= kProgColSent) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_programs->setItem(at, column, cell);
        }
    }
    m_programs->setSortingEnabled(true);
    const QString missing = QString::fromStdString(ProgramsMissingText(programs));
    m_missing->setText(missing);
    m_missing->setAccessibleName(missing);
    m_missing->setVisible(!missing.isEmpty());
}

}  // namespace vr31k

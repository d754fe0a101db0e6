#include "gui/CHelpDiagnosisDlg.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QFontMetrics>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace vr31k {

using namespace ids;

namespace {

// More than the style's margins around a cell's text: a sentence that only just fits
// is given its next line rather than painted cut short.
constexpr int kTextSlack = 16;

QStyle::StandardPixmap IconOf(CheckStatus status) {
    switch (status) {
        case CheckStatus::Ok: return QStyle::SP_DialogApplyButton;
        case CheckStatus::Warning: return QStyle::SP_MessageBoxWarning;
        case CheckStatus::Failed: return QStyle::SP_MessageBoxCritical;
        case CheckStatus::Unknown: break;
    }
    return QStyle::SP_MessageBoxQuestion;
}

}  // namespace

QString CHelpDiagnosisDlg::StatusText(CheckStatus status) { return QString::fromStdString(CheckStatusText(status)); }

CHelpDiagnosisDlg::CHelpDiagnosisDlg(Checks checks, bool linkUp, QWidget* parent)
    : CAppDlg(IDS_DLG_DIAGNOSIS_CAPTION, QStringLiteral("CHelpDiagnosisDlg"), parent), m_checks(std::move(checks)) {
    AllowResizing();
    m_summary = MakeLabel(IDS_DIAGNOSIS_RUNNING, QStringLiteral("summaryLabel"));
    m_list = new QTreeWidget(this);
    Identify(m_list, IDS_DIAGNOSIS_LIST, QStringLiteral("checkList"));
    m_list->setRootIsDecorated(false);
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    m_list->setHeaderLabels({Text(IDS_DIAGNOSIS_COL_CHECK), Text(IDS_DIAGNOSIS_COL_STATUS),
                             Text(IDS_DIAGNOSIS_COL_MESSAGE), Text(IDS_DIAGNOSIS_COL_FIX)});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(2, 430);
    m_list->setMinimumSize(1000, 480);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttons"));
    m_copy = buttons->addButton(Text(IDS_DIAGNOSIS_COPY), QDialogButtonBox::ActionRole);
    m_copy->setObjectName(QStringLiteral("copyButton"));
    m_copy->setAccessibleName(Text(IDS_DIAGNOSIS_COPY).remove(QStringLiteral("(&C)")));
    m_copy->setEnabled(false);
    m_copy->setAutoDefault(false);
    // It sends a few bytes over the card, so it runs only when asked, and says so.
    m_test = buttons->addButton(Text(IDS_DIAGNOSIS_TEST_BUTTON), QDialogButtonBox::ActionRole);
    m_test->setObjectName(QStringLiteral("testButton"));
    m_test->setAccessibleName(Text(IDS_DIAGNOSIS_TEST_BUTTON).remove(QStringLiteral("(&T)")));
    m_test->setAccessibleDescription(Text(IDS_DIAGNOSIS_TEST_NOTE));
    m_test->setToolTip(Text(IDS_DIAGNOSIS_TEST_NOTE));
    m_test->setAutoDefault(false);
    m_test->setEnabled(false);
    m_test->setVisible(linkUp);
    connect(m_test, &QPushButton::clicked, this, [this] { Run(true); });
    QPushButton* close = buttons->addButton(Text(IDS_BUTTON_CLOSE), QDialogButtonBox::RejectRole);
    Identify(close, IDS_BUTTON_CLOSE, QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(QString::fromStdString(DoctorText(m_results)));
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    Run(false);
}

void CHelpDiagnosisDlg::Run(bool connectionTest) {
    m_copy->setEnabled(false);
    m_test->setEnabled(false);
    m_summary->setText(Text(IDS_DIAGNOSIS_RUNNING));
    m_summary->setAccessibleName(AccessibleNameOf(IDS_DIAGNOSIS_RUNNING));
    // The thread keeps its own results; a dialog closed meanwhile is simply not told.
    auto results = std::make_shared<std::vector<CheckResult>>();
    QThread* worker =
        QThread::create([checks = m_checks, results, connectionTest] { *results = checks(connectionTest); });
    connect(worker, &QThread::finished, this, [this, results] { ShowResults(*results); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void CHelpDiagnosisDlg::ShowResults(const std::vector<CheckResult>& results) {
    m_list->clear();
    m_results = results;
    int failed = 0, warnings = 0;
    for (const CheckResult& r : results) {
        failed += r.status == CheckStatus::Failed ? 1 : 0;
        warnings += r.status == CheckStatus::Warning ? 1 : 0;
        auto* row = new QTreeWidgetItem(m_list, {QString::fromStdString(CheckName(r.id)), StatusText(r.status),
                                                 QString::fromStdString(r.message), QString::fromStdString(r.fix)});
        row->setToolTip(0, QString::fromStdString(r.id));  // as vr31kctl --json doctor names it
        row->setIcon(1, style()->standardIcon(IconOf(r.status)));
        for (int column = 2; column < 4; ++column) row->setToolTip(column, row->text(column));
    }
    // Sentences as wide as they are, within reason; a longer one wraps onto the lines it
    // needs, its whole text also in the tooltip, the copy and what a screen reader reads.
    for (int column = 0; column < 3; ++column) m_list->resizeColumnToContents(column);
    m_list->setColumnWidth(1, m_list->columnWidth(1) + 12);
    m_list->setColumnWidth(2, std::min(m_list->columnWidth(2), 560));
    // Each row as high as its sentences wrapped at these widths (the view would measure
    // them at the widths it had before).
    const QFontMetrics metrics(m_list->font());
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_list->topLevelItem(i);
        int height = metrics.height();
        for (int column = 2; column < 4; ++column) {
            const QRect room(0, 0, std::max(m_list->columnWidth(column) - kTextSlack, 40), 1 << 20);
            height = std::max(height, metrics.boundingRect(room, Qt::TextWordWrap | Qt::TextWrapAnywhere,
                                                           row->text(column)).height());
        }
        row->setSizeHint(2, QSize(m_list->columnWidth(2), height + kTextSlack / 2));
    }
    m_list->doItemsLayout();
    const QString summary =
        QString::fromStdString(FormatString(IDS_DIAGNOSIS_SUMMARY, {std::to_string(failed), std::to_string(warnings)}));
    m_summary->setText(summary);
    m_summary->setAccessibleName(summary);
    m_copy->setEnabled(true);
    m_test->setEnabled(true);
    emit ChecksShown();
}

}  // namespace vr31k

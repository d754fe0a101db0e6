#include "gui/CSyncApnListDlg.h"

#include "common/StringIds.h"
#include "gui/CCfgDialupEntryModifyDlg.h"
#include "gui/EntryTable.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kApnColumnWidth = 257;

QColor RowColour(const SyncApnList::Row& row) {
    if (!row.resolved) return QColor(0xFF, 0x00, 0x00);
    if (row.cardApn.empty()) return QColor(0xC0, 0xC0, 0xC0);
    return QColor(0x00, 0x00, 0x00);
}

}  // namespace

CSyncApnListDlg::CSyncApnListDlg(EntryList& cardView, IEntryBook& book, ICardContexts& card, IMessageBox& boxes,
                                 QWidget* parent)
    : CAppDlg(IDS_DLG_SYNC_LIST_CAPTION, QStringLiteral("CSyncApnListDlg"), parent),
      m_cardView(cardView),
      m_book(book),
      m_checks(book, card, boxes),
      m_rows(book, card, boxes, cardView) {
    QLabel* explanation = MakeLabel(IDS_DLG_SYNC_LIST_EXPLANATION, QStringLiteral("explanation"));
    m_list = MakeEntryTable(this, kApnColumnWidth, QStringLiteral("apnList"));
    m_delete = MakeControl<QPushButton>(IDS_DLG_ENTRY_DELETE, QStringLiteral("deleteButton"));
    m_change = MakeControl<QPushButton>(IDS_DLG_SYNC_LIST_CHANGE, QStringLiteral("changeButton"));
    for (QPushButton* button : {m_delete, m_change}) button->setAutoDefault(false);

    auto* rowButtons = new QVBoxLayout;
    rowButtons->addWidget(m_delete);
    rowButtons->addWidget(m_change);
    rowButtons->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_list);
    body->addLayout(rowButtons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(body);
    layout->addWidget(MakeOkCancel());

    connect(m_list, &QTableWidget::currentCellChanged, this, [this](int row) { OnRowChosen(row); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { OnChange(); });
    connect(m_delete, &QPushButton::clicked, this, &CSyncApnListDlg::OnDelete);
    connect(m_change, &QPushButton::clicked, this, &CSyncApnListDlg::OnChange);
    Refresh();
}

void CSyncApnListDlg::Refresh() {
    for (int k = 0; k < kEntryCount; ++k) {
        const SyncApnList::Row& row = m_rows.Rows()[k];
        SetEntryRow(m_list, k, QString::fromStdString(row.cardApn));
        SetEntryRowColour(m_list, k, RowColour(row));
    }
    OkButton()->setEnabled(m_rows.AllResolved());
    OnRowChosen(SelectedEntryRow(m_list));
}

void CSyncApnListDlg::OnRowChosen(int row) {
    m_delete->setEnabled(m_rows.CanEdit(row));
    m_change->setEnabled(m_rows.CanChange(row));
}

void CSyncApnListDlg::OnChange() {
    const int row = SelectedEntryRow(m_list);
    if (!m_rows.CanChange(row)) return;
    CCfgDialupEntryModifyDlg::Credentials preset;
    m_rows.EditPreset(row, preset.user, preset.password);
    CCfgDialupEntryModifyDlg dialog(m_cardView, row + 1, m_book, m_checks, preset, this);
    if (!dialog.Run()) return;
    m_rows.Change(row, dialog.Result().user, dialog.Result().password);
    Refresh();
}

void CSyncApnListDlg::OnDelete() {
    const int row = SelectedEntryRow(m_list);
    if (m_rows.Delete(row)) Refresh();
}

void CSyncApnListDlg::accept() {
    if (m_rows.Commit(m_cardView)) QDialog::accept();
}

}  // namespace vr31k

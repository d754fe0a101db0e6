#include "gui/CSyncApnDlg.h"

#include "common/StringIds.h"
#include "gui/CSyncApnListDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kIconSize = 32;

}  // namespace

CSyncApnDlg::CSyncApnDlg(EntryList& cardView, IEntryBook& book, ICardContexts& card, IMessageBox& boxes,
                         QWidget* parent)
    : CAppDlg(IDS_DLG_SYNC_CAPTION, QStringLiteral("CSyncApnDlg"), parent),
      m_cardView(cardView),
      m_book(book),
      m_card(card),
      m_boxes(boxes),
      m_sync(book, card, boxes) {
    auto* icon = new QLabel(this);
    Identify(icon, IDS_DLG_SYNC_ICON, QStringLiteral("warningIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kIconSize, kIconSize));
    QLabel* explanation = MakeLabel(IDS_DLG_SYNC_EXPLANATION, QStringLiteral("explanation"));
    m_reset = MakeControl<QRadioButton>(IDS_DLG_ENTRY_RESET, QStringLiteral("resetRadio"));
    m_toCard = MakeControl<QRadioButton>(IDS_DLG_SYNC_TO_CARD, QStringLiteral("toCardRadio"));
    m_fromCard = MakeControl<QRadioButton>(IDS_DLG_SYNC_FROM_CARD, QStringLiteral("fromCardRadio"));
    m_reset->setChecked(true);

    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(explanation, 0, 1);
    auto* ways = new QVBoxLayout;
    for (QRadioButton* way : {m_reset, m_toCard, m_fromCard}) ways->addWidget(way);
    grid->addLayout(ways, 1, 1);
    grid->setColumnMinimumWidth(0, kIconSize);
    grid->setHorizontalSpacing(16);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeOkCancel());
}

SyncDialogEnd CSyncApnDlg::Run() { return exec() == QDialog::Accepted ? SyncDialogEnd::Ok : SyncDialogEnd::Cancel; }

void CSyncApnDlg::accept() {
    bool done = false;
    if (m_reset->isChecked()) {
        done = m_sync.Reset(m_cardView);
    } else if (m_toCard->isChecked()) {
        done = m_sync.ProgramToCard(m_cardView);
    } else {
        CSyncApnListDlg list(m_cardView, m_book, m_card, m_boxes, this);
        done = list.Run();
    }
    if (done) QDialog::accept();
}

void CSyncApnDlg::reject() {
    if (m_sync.ConfirmAbandon()) QDialog::reject();
}

}  // namespace vr31k

#include "gui/CCfgDialupEntryPage.h"

#include "common/StringIds.h"
#include "gui/CAppDlg.h"
#include "gui/CCfgDialupEntryModifyDlg.h"
#include "gui/EntryTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kApnColumnWidth = 318;

template <typename Control>
Control* Named(Control* control, int nameId, const char* objectName) {
    control->setObjectName(QLatin1String(objectName));
    control->setAccessibleName(AccessibleNameOf(nameId));
    return control;
}

}  // namespace

CCfgDialupEntryPage::CCfgDialupEntryPage(EntryList& entries, IEntryBook& book, ICardContexts& card,
                                         IMessageBox& boxes, int entryIndex, QWidget* parent)
    : QWidget(parent),
      m_entries(entries),
      m_book(book),
      m_changes(book, card, boxes),
      m_entryIndex(entryIndex) {
    setObjectName(QStringLiteral("CCfgDialupEntryPage"));
    auto* currentLabel = Named(new QLabel(Text(IDS_DLG_ENTRY_CURRENT), this), IDS_DLG_ENTRY_CURRENT, "currentLabel");
    m_current = Named(new QComboBox(this), IDS_DLG_ENTRY_CURRENT, "currentCombo");
    currentLabel->setBuddy(m_current);
    m_list = MakeEntryTable(this, kApnColumnWidth, QStringLiteral("entryList"));
    m_reset = Named(new QPushButton(Text(IDS_DLG_ENTRY_RESET), this), IDS_DLG_ENTRY_RESET, "resetButton");
    m_delete = Named(new QPushButton(Text(IDS_DLG_ENTRY_DELETE), this), IDS_DLG_ENTRY_DELETE, "deleteButton");
    m_edit = Named(new QPushButton(Text(IDS_DLG_ENTRY_EDIT), this), IDS_DLG_ENTRY_EDIT, "editButton");
    // Enter in the page is the sheet's OK, as in every dialog of the utility.
    for (QPushButton* button : {m_reset, m_delete, m_edit}) button->setAutoDefault(false);

    auto* current = new QHBoxLayout;
    current->addWidget(currentLabel);
    current->addWidget(m_current, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_reset);
    buttons->addStretch();
    buttons->addWidget(m_delete);
    buttons->addWidget(m_edit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(current);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_list, &QTableWidget::currentCellChanged, this, [this](int row) { OnRowChosen(row); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { OnEdit(); });
    connect(m_reset, &QPushButton::clicked, this, &CCfgDialupEntryPage::OnReset);
    connect(m_delete, &QPushButton::clicked, this, &CCfgDialupEntryPage::OnDelete);
    connect(m_edit, &QPushButton::clicked, this, &CCfgDialupEntryPage::OnEdit);
    Fill();
}

QString CCfgDialupEntryPage::Title() const { return Text(IDS_DLG_ENTRY_PAGE_TITLE); }

void CCfgDialupEntryPage::Fill() {
    // A choice the user made in the combo box survives a refill while its entry exists.
    const QString chosen = m_current->currentText();
    m_current->clear();
    int select = -1;
    for (int k = 0; k < kEntryCount; ++k) {
        const QString name = QString::fromStdString(m_entries[k]);
        SetEntryRow(m_list, k, name);
        if (name.isEmpty()) continue;
        m_current->addItem(name);
        if (k == m_entryIndex) select = m_current->count() - 1;
    }
    if (!chosen.isEmpty() && m_current->findText(chosen) >= 0) select = m_current->findText(chosen);
    if (select < 0 && m_current->count() > 0) select = 0;
    m_current->setCurrentIndex(select);
    OnRowChosen(SelectedEntryRow(m_list));
}

void CCfgDialupEntryPage::OnRowChosen(int row) {
    const bool valid = row >= 0 && row < kEntryCount;
    const bool named = valid && !m_entries[row].empty();
    m_delete->setEnabled(named);
    m_edit->setEnabled(valid);
    const int textId = !valid || named ? IDS_DLG_ENTRY_EDIT : IDS_DLG_ENTRY_ADD;
    m_edit->setText(Text(textId));
    m_edit->setAccessibleName(Text(textId));
}

void CCfgDialupEntryPage::OnReset() {
    const EntryList before = m_entries;
    AfterChange(m_changes.ResetToFactory(m_entries), before);
}

void CCfgDialupEntryPage::OnDelete() {
    const int row = SelectedEntryRow(m_list);
    if (row < 0 || m_entries[row].empty()) return;
    const EntryList before = m_entries;
    AfterChange(m_changes.Delete(m_entries, row), before);
}

void CCfgDialupEntryPage::OnEdit() {
    const int row = SelectedEntryRow(m_list);
    if (row < 0) return;
    CCfgDialupEntryModifyDlg dialog(m_entries, row + 1, m_book, m_changes, std::nullopt, this);
    if (!dialog.Run()) return;
    const EntryList before = m_entries;
    AfterChange(m_changes.ApplyEdit(m_entries, row, dialog.Result()), before);
}

void CCfgDialupEntryPage::AfterChange(bool done, const EntryList& before) {
    Fill();
    // A change that stopped half way has still changed something for good.
    if (done || m_entries != before) emit Committed();
}

void CCfgDialupEntryPage::Apply() {
    const std::string chosen = m_current->currentText().toStdString();
    int index = 0;
    for (int k = 0; k < kEntryCount; ++k) {
        if (!chosen.empty() && m_entries[k] == chosen) {
            index = k;
            break;
        }
    }
    m_book.SetEntryIndex(index);
}

}  // namespace vr31k

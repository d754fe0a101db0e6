#pragma once
// The sheet's first page: the ten entries, the entry the utility dials, and reset,
// delete and add or edit. Every change goes at once to the card, the phonebook and the
// credential table (EntryChanges); the entry to dial takes effect only on OK.
#include "dialup/EntryChanges.h"
#include "gui/SheetPage.h"

#include <QWidget>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace vr31k {

class CCfgDialupEntryPage : public QWidget, public ISheetPage {
    Q_OBJECT
public:
    // `entries` is the main window's list, kept equal to what the program holds;
    // `entryIndex` the entry it dials now (0-9).
    CCfgDialupEntryPage(EntryList& entries, IEntryBook& book, ICardContexts& card, IMessageBox& boxes,
                        int entryIndex, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    QString Title() const override;
    bool CanLeave() override { return true; }
    // The entry to dial: the first position holding the combo box's name, else entry #1.
    void Apply() override;

signals:
    // A change reached the card or the phonebook; it cannot be undone.
    void Committed();

private:
    void Fill();
    void OnRowChosen(int row);
    void OnReset();
    void OnDelete();
    void OnEdit();
    // Refills after a change; `done` or a changed list means something was committed.
    void AfterChange(bool done, const EntryList& before);

    EntryList& m_entries;
    IEntryBook& m_book;
    EntryChanges m_changes;
    int m_entryIndex;
    QComboBox* m_current;
    QTableWidget* m_list;
    QPushButton* m_reset;
    QPushButton* m_delete;
    QPushButton* m_edit;
};

}  // namespace vr31k

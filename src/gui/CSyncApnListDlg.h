#pragma once
// The card's entries taken into the program one row at a time: the card holds no user
// names or passwords, so each row with an APN is changed (credentials entered) or
// deleted before OK is possible. Unresolved rows are red, resolved ones black, resolved
// rows without an APN grey.
#include "dialup/ApnSync.h"
#include "gui/CAppDlg.h"

class QTableWidget;

namespace vr31k {

class CSyncApnListDlg : public CAppDlg {
    Q_OBJECT
public:
    // `cardView`: the card's list, updated to what OK wrote to the card.
    CSyncApnListDlg(EntryList& cardView, IEntryBook& book, ICardContexts& card, IMessageBox& boxes,
                    QWidget* parent = nullptr);

    bool Run() { return exec() == QDialog::Accepted; }
    // The program takes the card's entries; the list stays open when the card's port
    // could not be prepared.
    void accept() override;

private:
    void Refresh();
    void OnRowChosen(int row);
    void OnChange();
    void OnDelete();

    EntryList& m_cardView;
    IEntryBook& m_book;
    EntryChanges m_checks;
    SyncApnList m_rows;
    QTableWidget* m_list;
    QPushButton* m_delete;
    QPushButton* m_change;
};

}  // namespace vr31k

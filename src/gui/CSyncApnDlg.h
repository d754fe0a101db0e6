#pragma once
// The synchronisation dialog of the entry check: the program's entries and the card's
// contexts differ, and the user picks how to make them equal: factory state, the
// program's entries onto the card, or the card's entries into the program (through the
// change list). Giving up is asked first, since no dial is possible until they agree.
#include "dialup/ApnSync.h"
#include "dialup/EntryCheck.h"
#include "gui/CAppDlg.h"

class QRadioButton;

namespace vr31k {

class CSyncApnDlg : public CAppDlg {
    Q_OBJECT
public:
    // `cardView`: the card's list, updated to what the dialog wrote to the card.
    CSyncApnDlg(EntryList& cardView, IEntryBook& book, ICardContexts& card, IMessageBox& boxes,
                QWidget* parent = nullptr);

    // Ok once a way was carried out, Cancel when the user gave up.
    SyncDialogEnd Run();
    void accept() override;
    void reject() override;

private:
    EntryList& m_cardView;
    IEntryBook& m_book;
    ICardContexts& m_card;
    IMessageBox& m_boxes;
    ApnSync m_sync;
    QRadioButton* m_reset;
    QRadioButton* m_toCard;
    QRadioButton* m_fromCard;
};

}  // namespace vr31k

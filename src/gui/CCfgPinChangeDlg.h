#pragma once
// The PIN change dialog: the current PIN, the new PIN and its confirmation. The PIN
// change logic shows it again with the same object after the card refused the current
// PIN, with the count it has just read from the card.
#include "card/CardUi.h"
#include "gui/CCodeEntryDlg.h"

namespace vr31k {

class IMessageBox;

class CCfgPinChangeDlg : public CCodeEntryDlg {
    Q_OBJECT
public:
    explicit CCfgPinChangeDlg(IMessageBox& boxes, QWidget* parent = nullptr);

    // Shows the PIN attempts left and three empty fields; the texts typed, or nothing
    // on Cancel.
    std::optional<PinChangeEntry> Ask(int attemptsLeft);
};

}  // namespace vr31k

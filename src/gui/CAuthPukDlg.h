#pragma once
// The PUK prompt of the card check: the PUK, a new PIN and its confirmation.
#include "card/CardUi.h"
#include "gui/CCodeEntryDlg.h"

namespace vr31k {

class IMessageBox;

class CAuthPukDlg : public CCodeEntryDlg {
    Q_OBJECT
public:
    explicit CAuthPukDlg(IMessageBox& boxes, QWidget* parent = nullptr);

    // Shows the PUK attempts left and three empty fields; the texts typed, or nothing on
    // Cancel. Only well-formed codes come back; the card's refusal is the caller's to tell.
    std::optional<PukEntry> Ask(int attemptsLeft);
};

}  // namespace vr31k

#pragma once
// The PUK prompt of the card check: the PUK, a new PIN and its confirmation.
#include "card/CardUi.h"
#include "gui/CCodeEntryDlg.h"

namespace vr31k {

class CAuthPukDlg : public CCodeEntryDlg {
    Q_OBJECT
public:
    explicit CAuthPukDlg(QWidget* parent = nullptr);

    // Shows the PUK attempts left and three empty fields; the texts typed, or nothing on
    // Cancel. The caller checks the input and asks again after a refusal.
    std::optional<PukEntry> Ask(int attemptsLeft);
};

}  // namespace vr31k

#pragma once
// The PIN prompt of the card check and of the PIN lock setting.
#include "gui/CCodeEntryDlg.h"

namespace vr31k {

class CAuthPinDlg : public CCodeEntryDlg {
    Q_OBJECT
public:
    explicit CAuthPinDlg(QWidget* parent = nullptr);

    // Shows the attempts left and an empty field; the text typed, or nothing on Cancel.
    // The caller checks the input and asks again after a refusal.
    std::optional<std::string> Ask(int attemptsLeft);
};

}  // namespace vr31k

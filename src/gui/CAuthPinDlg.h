#pragma once
// The PIN prompt of the card check and of the PIN lock setting.
#include "gui/CCodeEntryDlg.h"

namespace vr31k {

class IMessageBox;

class CAuthPinDlg : public CCodeEntryDlg {
    Q_OBJECT
public:
    explicit CAuthPinDlg(IMessageBox& boxes, QWidget* parent = nullptr);

    // Shows the attempts left and an empty field; the text typed, or nothing on Cancel.
    // Only a well-formed code comes back; the card's refusal is the caller's to tell.
    std::optional<std::string> Ask(int attemptsLeft);
};

}  // namespace vr31k

#pragma once
// The PIN lock dialog: switches the SIM's PIN request at power-on. OK is enabled only
// while the selection differs from the card's setting. The PIN lock logic asks for the
// PIN after OK, and returns to this dialog when that prompt is cancelled.
#include "gui/CAppDlg.h"

#include <optional>

class QRadioButton;

namespace vr31k {

class CCfgPinAuthDlg : public CAppDlg {
    Q_OBJECT
public:
    explicit CCfgPinAuthDlg(QWidget* parent = nullptr);

    // Shows the card's setting `lockOn` (true = PIN request on); the setting chosen on
    // OK, nothing on Cancel. Asked again with the same setting right after an OK, it
    // comes back as the user left it, the choice still made. One object per command.
    std::optional<bool> Choose(bool lockOn);

private:
    void UpdateOk();

    QRadioButton* m_off;
    QRadioButton* m_on;
    bool m_lockOn = false;
    std::optional<bool> m_chosenFor;  // the card's setting of the last run that ended with OK
};

}  // namespace vr31k

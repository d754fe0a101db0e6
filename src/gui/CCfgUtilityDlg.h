#pragma once
// The utility settings dialog: the five user settings of UTL_CONFIG, edited on a copy
// that goes back into the caller's block only on a valid OK.
#include "common/MessageBox.h"
#include "common/SettingsStore.h"
#include "gui/CAppDlg.h"

class QCheckBox;
class QRadioButton;

namespace vr31k {

class CCfgUtilityDlg : public CAppDlg {
    Q_OBJECT
public:
    // `boxes` shows the dialog's questions and refusals.
    CCfgUtilityDlg(UtilitySettings& settings, IMessageBox& boxes, QWidget* parent = nullptr);

    // Runs the dialog modally; true on OK, with the five values copied into the block.
    bool Run();
    // OK: checks the display time first; a refused time keeps the dialog open.
    void accept() override;

private:
    void OnAutoStartClicked(bool checked);
    void OnContinuousClicked();
    void OnOneshotClicked();
    void UpdateTimerControls();

    UtilitySettings& m_settings;
    IMessageBox& m_boxes;
    UtilitySettings m_copy;
    QCheckBox* m_autoStart;
    QCheckBox* m_iconizedStart;
    QCheckBox* m_cardDtctRising;
    QRadioButton* m_continuous;
    QRadioButton* m_oneshot;
    QLabel* m_timerLabel;
    QLineEdit* m_timeEdit;
    QLabel* m_secondsLabel;
};

}  // namespace vr31k

#pragma once
// The disconnecting dialog: shown modally while the user's hang-up completes, its text
// followed by dots that cycle every 500 ms. The user cannot close it (no buttons, Escape
// and the close button do nothing); the hang-up's end closes it through Finish.
#include "gui/CAppDlg.h"

class QLabel;
class QTimer;

namespace vr31k {

class CDialupDisconnectingDlg : public CAppDlg {
    Q_OBJECT
public:
    static constexpr int kDotsIntervalMs = 500;

    explicit CDialupDisconnectingDlg(QWidget* parent = nullptr);

    // Runs it modally, from the text without dots, until Finish.
    void Run();
    bool IsOpen() const { return isVisible(); }
    // Stops the dots and ends the open dialog; nothing when it is not open.
    void Finish();
    // Escape and the close button land here: refused.
    void reject() override {}

private:
    void NextDots();

    QLabel* m_text;
    QTimer* m_timer;
    int m_dots = 0;
};

}  // namespace vr31k

#pragma once
// The connecting dialog: shown modally while a dial runs, with the dial's progress text
// and Cancel. The window keeps one for its whole life and ends it from the dial's events,
// which arrive inside the dialog's own loop.
#include "gui/CAppDlg.h"

class QLabel;

namespace vr31k {

class CDialupConnectingDlg : public CAppDlg {
    Q_OBJECT
public:
    explicit CDialupConnectingDlg(QWidget* parent = nullptr);

    // Runs it modally from its opening text; true when it ended with OK (the link is up),
    // false on Cancel (the user, Escape, or a failed dial).
    bool Run();
    bool IsOpen() const { return isVisible(); }
    // Shows the progress text `textId` of the string table.
    void SetProgress(int textId);
    // Ends the open dialog with OK (`connected`) or Cancel; nothing when it is not open.
    void Finish(bool connected);

private:
    QLabel* m_progress;
};

}  // namespace vr31k

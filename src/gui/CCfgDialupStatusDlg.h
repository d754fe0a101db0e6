#pragma once
// The status dialog: the figures of the connection in progress, where the period's
// charge is heading and its pace, the link's top programs, and a warning when the
// link's traffic or names go elsewhere; refreshed by the window on each connection tick
// and closed by it when the connection ends. The window keeps one and shows it at most
// once at a time.
#include "gui/CAppDlg.h"
#include "mainwnd/MainView.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace vr31k {

class ConnectionFiguresPanel;

class CCfgDialupStatusDlg : public CAppDlg {
    Q_OBJECT
public:
    explicit CCfgDialupStatusDlg(QWidget* parent = nullptr);

    // Runs it modally over `figures` until OK, Escape or Close.
    void Run(const ConnectionFiguresText& figures);
    bool IsOpen() const { return isVisible(); }
    void Refresh(const ConnectionFiguresText& figures);
    // Ends the open dialog; nothing when it is not open. Only asks its loop to end, so
    // it may run inside that loop.
    void Close();

private:
    ConnectionFiguresPanel* m_panel;
    QLineEdit* m_projection;
    QLineEdit* m_pace;  // the period's pace; hidden while the period has no end
    QGroupBox* m_programGroup;  // hidden where the programs were not read
    QListWidget* m_programs;
    QLabel* m_warning;  // the link's warning line; hidden while there is none
};

}  // namespace vr31k

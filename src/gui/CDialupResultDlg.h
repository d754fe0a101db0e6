#pragma once
// The result dialog: what the connection that has just ended took and cost, shown once.
#include "gui/CAppDlg.h"
#include "mainwnd/MainView.h"

namespace vr31k {

class CDialupResultDlg : public CAppDlg {
    Q_OBJECT
public:
    explicit CDialupResultDlg(const ConnectionFiguresText& figures, QWidget* parent = nullptr);
};

}  // namespace vr31k

#pragma once
// The version dialog: the application's icon, name, version and rights notice.
#include "gui/CAppDlg.h"

namespace vr31k {

class CAboutDlg : public CAppDlg {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "ユーティリティバージョン: Ver " and the version as major.minor with two minor
    // digits: 1.0 → "1.00", 1.5 → "1.05", 2.15 → "2.15".
    static QString VersionText(int major, int minor);
};

}  // namespace vr31k

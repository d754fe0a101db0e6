#pragma once
// The connection diagnosis: every check `vr31kctl doctor` makes, each with its result,
// its sentence and its fix, in a list a screen reader reads cell by cell, and the plain
// report to copy; on request, again with the connection test. The checks run on a
// thread of their own (the SIM query holds the card's port for a few seconds); the
// dialog may close before they end.
#include "doctor/Doctor.h"
#include "gui/CAppDlg.h"

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vr31k {

class CHelpDiagnosisDlg : public CAppDlg {
    Q_OBJECT
public:
    // The checks, with the connection test over the card's link when asked for.
    using Checks = std::function<std::vector<CheckResult>(bool connectionTest)>;
    // `checks` runs off this thread as soon as the dialog is made, and again with the
    // connection test when the user asks for it (offered while `linkUp`).
    explicit CHelpDiagnosisDlg(Checks checks, bool linkUp = false, QWidget* parent = nullptr);

    // The result's word as shown ("失敗").
    static QString StatusText(CheckStatus status);

signals:
    // The checks have ended and their rows are shown.
    void ChecksShown();

private:
    void Run(bool connectionTest);
    void ShowResults(const std::vector<CheckResult>& results);

    Checks m_checks;
    QLabel* m_summary = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_test = nullptr;  // the connection test, shown while the card's link is up
    std::vector<CheckResult> m_results;
};

}  // namespace vr31k

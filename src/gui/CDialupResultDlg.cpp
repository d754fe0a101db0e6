#include "gui/CDialupResultDlg.h"

#include "common/StringIds.h"
#include "gui/ConnectionFiguresPanel.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CDialupResultDlg::CDialupResultDlg(const ConnectionFiguresText& figures, QWidget* parent)
    : CAppDlg(IDS_DLG_RESULT_CAPTION, QStringLiteral("CDialupResultDlg"), parent) {
    auto* panel = new ConnectionFiguresPanel(IDS_DLG_RESULT_GROUP, this);
    panel->ShowFigures(figures);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(MakeOk());
    OkButton()->setFocus();
}

}  // namespace vr31k

#include "gui/CCfgDialupStatusDlg.h"

#include "common/StringIds.h"
#include "gui/ConnectionFiguresPanel.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgDialupStatusDlg::CCfgDialupStatusDlg(QWidget* parent)
    : CAppDlg(IDS_DLG_STATUS_CAPTION, QStringLiteral("CCfgDialupStatusDlg"), parent),
      m_panel(new ConnectionFiguresPanel(IDS_DLG_STATUS_GROUP, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);
    layout->addWidget(MakeOk());
}

void CCfgDialupStatusDlg::Run(const ConnectionFiguresText& figures) {
    Refresh(figures);
    OkButton()->setFocus();
    exec();
}

void CCfgDialupStatusDlg::Refresh(const ConnectionFiguresText& figures) { m_panel->ShowFigures(figures); }

void CCfgDialupStatusDlg::Close() {
    if (IsOpen()) reject();
}

}  // namespace vr31k

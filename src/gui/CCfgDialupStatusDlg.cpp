#include "gui/CCfgDialupStatusDlg.h"

#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/ConnectionFiguresPanel.h"
#include "gui/ProjectionLine.h"
#include "gui/QtMessageBox.h"
#include "gui/TotalsFields.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgDialupStatusDlg::CCfgDialupStatusDlg(QWidget* parent)
    : CAppDlg(IDS_DLG_STATUS_CAPTION, QStringLiteral("CCfgDialupStatusDlg"), parent),
      m_panel(new ConnectionFiguresPanel(IDS_DLG_STATUS_GROUP, this)),
      m_projection(MakeProjectionLine(this, QStringLiteral("projectionLine"))),
      m_pace(MakeValueField(this, QStringLiteral("paceLine"), Text(IDS_PACE_NAME))),
      m_warning(new QLabel(this)) {
    // Room for a large charge in the warning look, so the fixed-size dialog keeps its
    // width from tick to tick.
    QFont bold = m_projection->font();
    bold.setBold(true);
    const std::string widest = FormatString(IDS_PROJECTION_LINE, {"99,999,999", "30"});
    const QFontMetrics metrics(bold);
    m_projection->setMinimumWidth(metrics.horizontalAdvance(QString::fromStdString(widest)) +
                                  metrics.averageCharWidth() * 2);
    m_panel->AddChargeLine(m_projection);
    m_panel->AddChargeLine(m_pace);
    // Above the figures, wrapped to their width; read by its words, as the diagnosis's
    // summary is.
    Identify(m_warning, IDS_LINK_WARNING_LABEL, QStringLiteral("linkWarning"));
    m_warning->setWordWrap(true);
    m_warning->setMaximumWidth(m_panel->sizeHint().width());
    SetWarningLook(m_warning, true);
    m_warning->hide();
    m_programGroup = MakeControl<QGroupBox>(IDS_PROGRAM_TOP_GROUP, QStringLiteral("programGroup"));
    m_programs = new QListWidget(m_programGroup);
    Identify(m_programs, IDS_PROGRAM_TOP_GROUP, QStringLiteral("programList"));
    m_programs->setSelectionMode(QAbstractItemView::NoSelection);
    m_programs->setFocusPolicy(Qt::NoFocus);
    // Room for the top programs and the time of their figures without a scroll bar.
    m_programs->setFixedHeight(m_programs->fontMetrics().height() * 7 + 8);
    (new QVBoxLayout(m_programGroup))->addWidget(m_programs);
    m_programGroup->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_warning);
    layout->addWidget(m_panel);
    layout->addWidget(m_programGroup);
    layout->addWidget(MakeOk());
}

void CCfgDialupStatusDlg::Run(const ConnectionFiguresText& figures) {
    Refresh(figures);
    OkButton()->setFocus();
    exec();
}

void CCfgDialupStatusDlg::Refresh(const ConnectionFiguresText& figures) {
    m_panel->ShowFigures(figures);
    ShowProjection(m_projection, figures.projection);
    const QString pace = QString::fromStdString(figures.pace);
    // Unchanged on most ticks: leave a selection the user is making alone.
    if (m_pace->text() != pace) m_pace->setText(pace);
    m_pace->setVisible(!pace.isEmpty());
    const QString warning = QString::fromStdString(figures.warning);
    if (m_warning->text() != warning) {
        m_warning->setText(warning);
        m_warning->setAccessibleName(warning.isEmpty() ? AccessibleNameOf(IDS_LINK_WARNING_LABEL) : warning);
    }
    m_warning->setVisible(!warning.isEmpty());
    QStringList programs;
    for (const std::string& line : figures.programs) programs << QString::fromStdString(line);
    QStringList shown;
    for (int i = 0; i < m_programs->count(); ++i) shown << m_programs->item(i)->text();
    if (shown != programs) {
        m_programs->clear();
        m_programs->addItems(programs);
    }
    m_programGroup->setVisible(!programs.isEmpty());
}

void CCfgDialupStatusDlg::Close() {
    if (IsOpen()) reject();
}

}  // namespace vr31k

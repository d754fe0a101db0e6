#include "gui/CCfgPinAuthDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgPinAuthDlg::CCfgPinAuthDlg(QWidget* parent)
    : CAppDlg(IDS_DLG_PIN_LOCK_CAPTION, QStringLiteral("CCfgPinAuthDlg"), parent) {
    auto* group = MakeControl<QGroupBox>(IDS_DLG_PIN_LOCK_GROUP, QStringLiteral("pinLockGroup"));
    m_off = MakeControl<QRadioButton>(IDS_DLG_PIN_LOCK_OFF, QStringLiteral("lockOffRadio"), group);
    m_on = MakeControl<QRadioButton>(IDS_DLG_PIN_LOCK_ON, QStringLiteral("lockOnRadio"), group);
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(m_off);
    radios->addWidget(m_on);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(MakeOkCancel());
    connect(m_on, &QRadioButton::toggled, this, &CCfgPinAuthDlg::UpdateOk);
}

void CCfgPinAuthDlg::UpdateOk() { OkButton()->setEnabled(m_on->isChecked() != m_lockOn); }

std::optional<bool> CCfgPinAuthDlg::Choose(bool lockOn) {
    if (m_chosenFor != lockOn) {
        (lockOn ? m_on : m_off)->setChecked(true);
        (lockOn ? m_on : m_off)->setFocus();
    }
    m_chosenFor.reset();
    m_lockOn = lockOn;
    UpdateOk();
    if (exec() != QDialog::Accepted) return std::nullopt;
    m_chosenFor = lockOn;
    return m_on->isChecked();
}

}  // namespace vr31k

#include "gui/CCfgUtilityDlg.h"

#include "common/StringIds.h"
#include "common/UtilitySettingsRules.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgUtilityDlg::CCfgUtilityDlg(UtilitySettings& settings, IMessageBox& boxes, QWidget* parent)
    : CAppDlg(IDS_DLG_UTILITY_CAPTION, QStringLiteral("CCfgUtilityDlg"), parent),
      m_settings(settings),
      m_boxes(boxes),
      m_copy(settings) {
    m_autoStart = MakeControl<QCheckBox>(IDS_DLG_UTILITY_AUTOSTART, QStringLiteral("autoStartCheck"));
    m_iconizedStart = MakeControl<QCheckBox>(IDS_DLG_UTILITY_ICONIZED, QStringLiteral("iconizedStartCheck"));
    m_cardDtctRising = MakeControl<QCheckBox>(IDS_DLG_UTILITY_CARD_RISING, QStringLiteral("cardDtctRisingCheck"));

    auto* group = MakeControl<QGroupBox>(IDS_DLG_UTILITY_SIGNAL_GROUP, QStringLiteral("signalGroup"));
    m_continuous = MakeControl<QRadioButton>(IDS_DLG_UTILITY_CONTINUOUS, QStringLiteral("continuousRadio"), group);
    m_oneshot = MakeControl<QRadioButton>(IDS_DLG_UTILITY_ONESHOT, QStringLiteral("oneshotRadio"), group);
    m_timerLabel = MakeLabel(IDS_DLG_UTILITY_TIMER, QStringLiteral("timerLabel"));
    m_timeEdit = new QLineEdit(this);
    Identify(m_timeEdit, IDS_DLG_UTILITY_TIMER, QStringLiteral("timeEdit"));
    m_timeEdit->setFixedWidth(m_timeEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6);
    m_timerLabel->setBuddy(m_timeEdit);
    m_secondsLabel = MakeLabel(IDS_DLG_UTILITY_SECONDS, QStringLiteral("secondsLabel"));

    auto* timer = new QHBoxLayout;
    timer->addSpacing(20);
    timer->addWidget(m_timerLabel);
    timer->addWidget(m_timeEdit);
    timer->addWidget(m_secondsLabel);
    timer->addStretch();
    auto* signal = new QVBoxLayout(group);
    signal->addWidget(m_continuous);
    signal->addWidget(m_oneshot);
    signal->addLayout(timer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_autoStart);
    layout->addWidget(m_iconizedStart);
    layout->addWidget(m_cardDtctRising);
    layout->addWidget(group);
    layout->addWidget(MakeOkCancel());

    m_autoStart->setChecked(m_copy.autoStart != 0);
    m_iconizedStart->setChecked(m_copy.iconizedStart != 0);
    m_cardDtctRising->setChecked(m_copy.cardDtctRising != 0);
    // A mode the file should not hold checks neither radio and stays as it is until one is chosen.
    m_continuous->setChecked(m_copy.antDispOneshot == 0);
    m_oneshot->setChecked(m_copy.antDispOneshot == 1);
    m_timeEdit->setText(QString::number(m_copy.antDispOneshotTime));
    UpdateTimerControls();

    connect(m_autoStart, &QCheckBox::clicked, this, &CCfgUtilityDlg::OnAutoStartClicked);
    connect(m_iconizedStart, &QCheckBox::clicked, this, [this](bool checked) { m_copy.iconizedStart = checked; });
    connect(m_cardDtctRising, &QCheckBox::clicked, this, [this](bool checked) { m_copy.cardDtctRising = checked; });
    connect(m_continuous, &QRadioButton::clicked, this, &CCfgUtilityDlg::OnContinuousClicked);
    connect(m_oneshot, &QRadioButton::clicked, this, &CCfgUtilityDlg::OnOneshotClicked);
}

bool CCfgUtilityDlg::Run() { return exec() == QDialog::Accepted; }

void CCfgUtilityDlg::UpdateTimerControls() {
    const bool oneshot = m_oneshot->isChecked();
    m_timerLabel->setEnabled(oneshot);
    m_timeEdit->setEnabled(oneshot);
    m_secondsLabel->setEnabled(oneshot);
}

void CCfgUtilityDlg::OnAutoStartClicked(bool checked) {
    if (checked) {
        m_copy.autoStart = 1;
        return;
    }
    // Switching it off: without the utility running, no connection is counted.
    if (m_boxes.Ask(IDS_AUTOSTART_OFF_CAPTION, IDS_AUTOSTART_OFF_TEXT)) {
        m_copy.autoStart = 0;
    } else {
        m_autoStart->setChecked(true);
        m_copy.autoStart = 1;
    }
}

void CCfgUtilityDlg::OnContinuousClicked() {
    // Asked every time the choice moves away from one-click: the continuous display keeps
    // the card's port, so other programs cannot dial while it runs.
    if (m_copy.antDispOneshot != 0) {
        m_copy.antDispOneshot = 0;
        if (!m_boxes.Ask(IDS_CONTINUOUS_SIGNAL_CAPTION, IDS_CONTINUOUS_SIGNAL_TEXT)) {
            m_copy.antDispOneshot = 1;
            m_oneshot->setChecked(true);
            m_oneshot->setFocus();
        }
    }
    UpdateTimerControls();
}

void CCfgUtilityDlg::OnOneshotClicked() {
    m_copy.antDispOneshot = 1;
    UpdateTimerControls();
}

void CCfgUtilityDlg::accept() {
    // Checked whichever mode is chosen.
    const FieldCheck check = CheckOneshotTime(m_timeEdit->text().toStdString());
    if (!check.ok) {
        std::vector<std::string> args;
        if (check.textId == IDS_RANGE_TEXT) args = {std::to_string(kOneshotTimeMin), std::to_string(kOneshotTimeMax)};
        m_boxes.Tell(check.captionId, check.textId, MessageIcon::Exclamation, args);
        // Under the continuous mode the field is disabled; a bad time read from the file
        // would otherwise be one the user cannot put right. Choosing a mode disables it again.
        m_timerLabel->setEnabled(true);
        m_timeEdit->setEnabled(true);
        m_secondsLabel->setEnabled(true);
        m_timeEdit->setFocus();
        m_timeEdit->selectAll();
        return;
    }
    m_copy.antDispOneshotTime = check.value;
    m_settings.autoStart = m_copy.autoStart;
    m_settings.iconizedStart = m_copy.iconizedStart;
    m_settings.cardDtctRising = m_copy.cardDtctRising;
    m_settings.antDispOneshot = m_copy.antDispOneshot;
    m_settings.antDispOneshotTime = m_copy.antDispOneshotTime;
    QDialog::accept();
}

}  // namespace vr31k

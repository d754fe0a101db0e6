#include "gui/CCfgDialupLimitPage.h"

#include "accounting/ChargePlan.h"
#include "accounting/UsageLimit.h"
#include "common/FileSystem.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/CAppDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgDialupLimitPage::CCfgDialupLimitPage(SettingsStore settings, std::function<DialupSettings()> plan,
                                         IMessageBox& boxes, QWidget* parent)
    : QWidget(parent),
      m_settings(std::move(settings)),
      m_plan(std::move(plan)),
      m_boxes(boxes),
      m_stored(m_settings.ReadLimit()) {
    setObjectName(QStringLiteral("CCfgDialupLimitPage"));
    setAccessibleName(Title());

    auto* kindGroup = new QGroupBox(Text(IDS_LIMIT_KIND_GROUP), this);
    kindGroup->setObjectName(QStringLiteral("limitGroup"));
    kindGroup->setAccessibleName(kindGroup->title());
    m_kinds[kLimitOff] = MakeRadio(IDS_LIMIT_KIND_OFF, "offRadio", kindGroup);
    m_kinds[kLimitCharge] = MakeRadio(IDS_LIMIT_KIND_CHARGE, "chargeRadio", kindGroup);
    m_kinds[kLimitBytes] = MakeRadio(IDS_LIMIT_KIND_BYTES, "bytesRadio", kindGroup);
    m_fields[kChargeField] = {MakeEdit(IDS_LIMIT_KIND_CHARGE, IDS_PLAN_YEN_UNIT, "chargeEdit", 8, kindGroup),
                              LimitField::Charge, {}};
    m_fields[kBytesField] = {MakeEdit(IDS_LIMIT_KIND_BYTES, IDS_LIMIT_BYTES_UNIT, "bytesEdit", 8, kindGroup),
                             LimitField::Bytes, {}};
    auto* kindGrid = new QGridLayout(kindGroup);
    kindGrid->addWidget(m_kinds[kLimitOff], 0, 0);
    const struct {
        int kind;
        int field;
        int unitId;
        const char* unitName;
    } kindRows[] = {{kLimitCharge, kChargeField, IDS_PLAN_YEN_UNIT, "chargeUnit"},
                    {kLimitBytes, kBytesField, IDS_LIMIT_BYTES_UNIT, "bytesUnit"}};
    for (const auto& row : kindRows) {
        QLabel* unit = MakeLabel(row.unitId, row.unitName, kindGroup);
        Field& field = m_fields[row.field];
        field.row = {field.edit, unit};
        kindGrid->addWidget(m_kinds[row.kind], row.kind, 0);
        kindGrid->addWidget(field.edit, row.kind, 1);
        kindGrid->addWidget(unit, row.kind, 2);
    }
    kindGrid->setColumnStretch(3, 1);

    // The warnings; each field reads as its row does: "利用上限の", 80, "％ に達したら…".
    auto* warnGroup = new QGroupBox(Text(IDS_LIMIT_WARN_GROUP), this);
    warnGroup->setObjectName(QStringLiteral("warnGroup"));
    warnGroup->setAccessibleName(warnGroup->title());
    auto* warnGrid = new QGridLayout(warnGroup);
    const struct {
        int field;
        int labelId;
        int unitId;
        const char* name;
        int chars;
        LimitField value;
    } warnRows[] = {{kWarnField, IDS_LIMIT_WARN_LABEL, IDS_LIMIT_WARN_UNIT, "warnRatio", 3, LimitField::WarnRatio},
                    {kBurstField, IDS_LIMIT_BURST_LABEL, IDS_LIMIT_BURST_UNIT, "burst", 8, LimitField::Burst}};
    int line = 0;
    for (const auto& row : warnRows) {
        const std::string name(row.name);
        QLabel* label = MakeLabel(row.labelId, (name + "Label").c_str(), warnGroup);
        QLineEdit* edit = MakeEdit(row.labelId, row.unitId, (name + "Edit").c_str(), row.chars, warnGroup);
        QLabel* unit = MakeLabel(row.unitId, (name + "Unit").c_str(), warnGroup);
        label->setBuddy(edit);
        m_fields[row.field] = {edit, row.value, {label, edit, unit}};
        // The unit follows its field however narrow: the fields differ in width.
        auto* valueRow = new QHBoxLayout;
        valueRow->addWidget(edit);
        valueRow->addWidget(unit);
        valueRow->addStretch();
        warnGrid->addWidget(label, line, 0, Qt::AlignRight);
        warnGrid->addLayout(valueRow, line, 1);
        ++line;
    }
    warnGrid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kindGroup);
    layout->addWidget(warnGroup);
    layout->addWidget(MakeLabel(IDS_LIMIT_NOTE, "note", this));
    layout->addStretch();

    ShowStored();
    for (QRadioButton* radio : m_kinds) connect(radio, &QRadioButton::toggled, this, &CCfgDialupLimitPage::ApplyKind);
}

QString CCfgDialupLimitPage::Title() const { return Text(IDS_LIMIT_PAGE_TITLE); }

QRadioButton* CCfgDialupLimitPage::MakeRadio(int textId, const char* objectName, QWidget* parent) {
    auto* radio = new QRadioButton(Text(textId), parent);
    CAppDlg::Identify(radio, textId, QString::fromLatin1(objectName));
    return radio;
}

// A field named after the choice or label before it, with its unit as its description.
QLineEdit* CCfgDialupLimitPage::MakeEdit(int nameId, int unitId, const char* objectName, int chars, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    CAppDlg::Identify(edit, nameId, QString::fromLatin1(objectName));
    edit->setAccessibleDescription(Text(unitId));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2));
    return edit;
}

QLabel* CCfgDialupLimitPage::MakeLabel(int textId, const char* objectName, QWidget* parent) {
    auto* label = new QLabel(Text(textId), parent);
    CAppDlg::Identify(label, textId, QString::fromLatin1(objectName));
    return label;
}

void CCfgDialupLimitPage::ShowStored() {
    m_shown[kChargeField] = m_stored.charge > 0 ? QString::number(m_stored.charge) : QString();
    m_shown[kBytesField] = QString::fromStdString(LimitSizeText(m_stored.bytes));
    m_shown[kWarnField] = QString::number(m_stored.warnRatio);
    m_shown[kBurstField] = QString::fromStdString(LimitSizeText(m_stored.burstBytes));
    for (int i = 0; i < kFieldCount; ++i) m_fields[i].edit->setText(m_shown[i]);
    // A kind the file should not hold checks no choice and stays until one is made.
    for (int kind = kLimitOff; kind <= kLimitBytes; ++kind) m_kinds[kind]->setChecked(kind == m_stored.kind);
    ApplyKind();
}

int CCfgDialupLimitPage::Kind() const {
    for (int kind = kLimitOff; kind <= kLimitBytes; ++kind) {
        if (m_kinds[kind]->isChecked()) return kind;
    }
    return m_stored.kind;
}

bool CCfgDialupLimitPage::Applies(int field) const {
    switch (field) {
    case kChargeField: return Kind() == kLimitCharge;
    case kBytesField: return Kind() == kLimitBytes;
    default: return Kind() == kLimitCharge || Kind() == kLimitBytes;  // the warnings watch a limit
    }
}

void CCfgDialupLimitPage::ApplyKind() {
    for (int i = 0; i < kFieldCount; ++i) {
        for (QWidget* control : m_fields[i].row) control->setEnabled(Applies(i));
    }
}

bool CCfgDialupLimitPage::Changed() const {
    if (Kind() != m_stored.kind) return true;
    for (int i = 0; i < kFieldCount; ++i) {
        if (Applies(i) && m_fields[i].edit->text() != m_shown[i]) return true;
    }
    return false;
}

std::optional<LimitSettings> CCfgDialupLimitPage::Entered() {
    LimitSettings limit = m_stored;
    limit.kind = Kind();
    for (int i = 0; i < kFieldCount; ++i) {
        if (!Applies(i)) continue;  // kept as stored
        QLineEdit* edit = m_fields[i].edit;
        const LimitFieldCheck check = CheckLimitField(m_fields[i].field, edit->text().toStdString());
        if (!check.ok) {
            Refuse(IDS_LIMIT_RANGE_CAPTION, check.text, edit);
            return std::nullopt;
        }
        SetLimitFieldValue(limit, m_fields[i].field, check.value);
    }
    return limit;
}

void CCfgDialupLimitPage::Refuse(int captionId, const std::string& text, QWidget* focus) {
    MessageBoxRequest box;
    box.captionId = captionId;
    box.text = text;
    box.icon = captionId == IDS_LIMIT_SAVE_FAILED_CAPTION ? MessageIcon::Error : MessageIcon::Exclamation;
    m_boxes.Show(box);
    if (focus == nullptr) return;
    focus->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(focus)) edit->selectAll();
}

bool CCfgDialupLimitPage::CanLeave() { return !Changed() || Entered().has_value(); }

bool CCfgDialupLimitPage::Commit() {
    const bool changed = Changed();
    const std::optional<LimitSettings> entered = changed ? Entered() : std::optional<LimitSettings>(m_stored);
    if (!entered) return false;
    // The plan as the sheet holds it: the plan page's values take effect with this OK.
    const DialupSettings plan = m_plan();
    const DerivedPlan derived = DerivePlan(plan);
    std::string problem = LimitProblem(*entered, plan, derived);
    if (problem.empty() && changed) {
        LimitSettings written;
        const int error = m_settings.ChangeLimit([&](LimitSettings& current) {
            // Only what the user changed here: another program's change to the rest stays.
            const auto take = [](auto& into, auto mine, auto stored) {
                if (mine != stored) into = mine;
            };
            take(current.kind, entered->kind, m_stored.kind);
            take(current.charge, entered->charge, m_stored.charge);
            take(current.bytes, entered->bytes, m_stored.bytes);
            take(current.warnRatio, entered->warnRatio, m_stored.warnRatio);
            take(current.burstBytes, entered->burstBytes, m_stored.burstBytes);
            problem = LimitProblem(current, plan, derived);
            written = current;
            return problem.empty();
        });
        if (error != 0) {
            Refuse(IDS_LIMIT_SAVE_FAILED_CAPTION,
                   FormatString(IDS_LIMIT_SAVE_FAILED_TEXT, {m_settings.Path() + ": " + FileErrorText(error)}), nullptr);
            return false;
        }
        if (problem.empty()) {
            m_stored = written;
            ShowStored();
            return true;
        }
    }
    if (!problem.empty()) {
        Refuse(IDS_LIMIT_NOT_APPLICABLE_CAPTION, problem, m_kinds[kLimitCharge]);
        return false;
    }
    return true;
}

}  // namespace vr31k

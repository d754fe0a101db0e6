#include "gui/CCfgDialupCountPage.h"

#include "accounting/PlanChoices.h"
#include "common/StringIds.h"
#include "gui/CAppDlg.h"
#include "gui/QtMessageBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {

// Wide enough for the longest value (8 digits, or a price like 999999.999); one width
// keeps the units in one column.
constexpr int kFieldChars = 10;

// A control keeps its place while its charge type hides it, so the page does not jump.
void KeepPlace(QWidget* control) {
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

QComboBox* MakeList(const std::vector<std::string>& items, int nameId, const char* objectName, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setAccessibleName(AccessibleNameOf(nameId));
    for (const std::string& item : items) list->addItem(QString::fromStdString(item));
    return list;
}

int IndexIn(const QComboBox* list, int value) { return value >= 0 && value < list->count() ? value : -1; }

}  // namespace

CCfgDialupCountPage::CCfgDialupCountPage(DialupSettings& plan, IMessageBox& boxes, QWidget* parent)
    : QWidget(parent), m_plan(plan), m_boxes(boxes), m_stored(plan) {
    setObjectName(QStringLiteral("CCfgDialupCountPage"));
    setAccessibleName(Title());

    QLabel* typeLabel = MakeLabel(IDS_PLAN_TYPE_LABEL, "chargeTypeLabel");
    m_type = MakeList(ChargeTypeItems(), IDS_PLAN_TYPE_LABEL, "chargeTypeList", this);
    typeLabel->setBuddy(m_type);

    QGroupBox* packetGroup = MakePacketGroup();
    QGroupBox* noticeGroup = MakeNoticeGroup();

    QLabel* dayLabel = MakeLabel(IDS_PLAN_CLOSING_DAY_LABEL, "closingDayLabel");
    m_closingDay = MakeList(ClosingDayItems(), IDS_PLAN_CLOSING_DAY_LABEL, "closingDayList", this);
    m_closingDay->setMaxVisibleItems(12);
    dayLabel->setBuddy(m_closingDay);

    QLabel* note = MakeLabel(IDS_PLAN_NOTE, "note");

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(m_type);
    typeRow->addStretch();
    auto* dayRow = new QHBoxLayout;
    dayRow->addWidget(dayLabel);
    dayRow->addWidget(m_closingDay);
    dayRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addWidget(packetGroup);
    layout->addWidget(noticeGroup);
    layout->addLayout(dayRow);
    layout->addWidget(note);
    layout->addStretch();

    // The stored plan's texts; they are not the user's edits, so nothing checks them now.
    const PlanEntry entry = EntryFromPlan(m_stored);
    for (size_t i = 0; i < m_edits.size(); ++i) m_edits[i]->setText(QString::fromStdString(entry.texts[i]));
    m_type->setCurrentIndex(IndexIn(m_type, entry.chargeType));
    m_closingDay->setCurrentIndex(IndexIn(m_closingDay, entry.closingDay));
    ApplyVisibility();
    connect(m_type, &QComboBox::currentIndexChanged, this, &CCfgDialupCountPage::ApplyVisibility);
}

// The plan's prices and packet size: label, field and unit on each row. A field reads as
// its row does: the label as its name, then the value, then the unit as its description
// ("※1パケット =", 128, "バイトで計算").
QGroupBox* CCfgDialupCountPage::MakePacketGroup() {
    auto* packetGroup = new QGroupBox(Text(IDS_PLAN_PACKET_GROUP), this);
    packetGroup->setObjectName(QStringLiteral("packetGroup"));
    packetGroup->setAccessibleName(packetGroup->title());
    auto* packetGrid = new QGridLayout(packetGroup);
    struct Row {
        PlanField field;
        int labelId;
        int unitId;
        std::vector<QWidget*>* shownBy;
    } rows[] = {
        {PlanField::PacketCharge2, IDS_PLAN_PRICE_LABEL, IDS_PLAN_PRICE_UNIT, &m_priceSizeNotice},
        {PlanField::FreePackets, IDS_PLAN_FREE_PACKETS_LABEL, IDS_PLAN_PACKETS_UNIT, &m_freeAllowance},
        {PlanField::FreeCall1, IDS_PLAN_FREE_FEE_LABEL, IDS_PLAN_YEN_UNIT, &m_freeAllowance},
        {PlanField::MaxCharge2, IDS_PLAN_CAP_LABEL, IDS_PLAN_YEN_UNIT, &m_cap},
        {PlanField::PacketSize, IDS_PLAN_PACKET_SIZE_LABEL, IDS_PLAN_PACKET_SIZE_UNIT, &m_priceSizeNotice},
    };
    int line = 0;
    for (const Row& row : rows) {
        const std::string name(RuleOf(row.field).control);
        QLabel* label = MakeLabel(row.labelId, (name + "Label").c_str());
        QLineEdit* edit = MakeField(row.field, row.labelId, kFieldChars);
        QLabel* unit = MakeLabel(row.unitId, (name + "Unit").c_str());
        edit->setAccessibleDescription(unit->text());
        label->setBuddy(edit);
        packetGrid->addWidget(label, line, 0, Qt::AlignRight);
        packetGrid->addWidget(edit, line, 1);
        packetGrid->addWidget(unit, line, 2);
        row.shownBy->insert(row.shownBy->end(), {label, edit, unit});
        ++line;
    }
    packetGrid->setColumnStretch(3, 1);
    for (QWidget* control : packetGroup->findChildren<QWidget*>()) KeepPlace(control);
    return packetGroup;
}

// The notice amount, and the percentage of it at which the notice fires.
QGroupBox* CCfgDialupCountPage::MakeNoticeGroup() {
    auto* noticeGroup = new QGroupBox(Text(IDS_PLAN_NOTICE_GROUP), this);
    noticeGroup->setObjectName(QStringLiteral("noticeGroup"));
    noticeGroup->setAccessibleName(noticeGroup->title());
    QLabel* noticeLabel = MakeLabel(IDS_PLAN_NOTICE_LABEL, "noticeLabel");
    QLineEdit* notice = MakeField(PlanField::NoticeCharge, IDS_PLAN_NOTICE_LABEL, kFieldChars);
    noticeLabel->setBuddy(notice);
    QLabel* noticeUnit = MakeLabel(IDS_PLAN_YEN_UNIT, "noticeUnit");
    notice->setAccessibleDescription(noticeUnit->text());
    QLabel* ratioLabel = MakeLabel(IDS_PLAN_RATIO_LABEL, "ratioLabel");
    QLineEdit* ratio = MakeField(PlanField::NoticeRatio, IDS_PLAN_RATIO_LABEL, 4);
    ratioLabel->setBuddy(ratio);
    QLabel* ratioUnit = MakeLabel(IDS_PLAN_RATIO_UNIT, "ratioUnit");
    ratio->setAccessibleDescription(ratioUnit->text());  // "設定値の", 80, "％ に達したら警告する"
    auto* noticeGrid = new QGridLayout(noticeGroup);
    noticeGrid->addWidget(noticeLabel, 0, 0, Qt::AlignRight);
    noticeGrid->addWidget(notice, 0, 1);
    noticeGrid->addWidget(noticeUnit, 0, 2);
    auto* ratioRow = new QHBoxLayout;
    ratioRow->addWidget(ratioLabel);
    ratioRow->addWidget(ratio);
    ratioRow->addWidget(ratioUnit);
    ratioRow->addStretch();
    noticeGrid->addLayout(ratioRow, 1, 0, 1, 4);
    noticeGrid->setColumnStretch(3, 1);
    KeepPlace(noticeGroup);
    m_priceSizeNotice.push_back(noticeGroup);
    return noticeGroup;
}

QString CCfgDialupCountPage::Title() const { return Text(IDS_PLAN_PAGE_TITLE); }

QLabel* CCfgDialupCountPage::MakeLabel(int textId, const char* objectName) {
    auto* label = new QLabel(Text(textId), this);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAccessibleName(AccessibleNameOf(textId));
    return label;
}

QLineEdit* CCfgDialupCountPage::MakeField(PlanField field, int nameId, int chars) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(RuleOf(field).control) + QStringLiteral("Edit"));
    edit->setAccessibleName(AccessibleNameOf(nameId));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2));
    // textEdited: the user's typing, pasting and dropping; never the page's own texts.
    connect(edit, &QLineEdit::textEdited, this, [this, field] { OnEdited(field); });
    m_edits[static_cast<size_t>(field)] = edit;
    return edit;
}

void CCfgDialupCountPage::ApplyVisibility() {
    const PlanVisibility shown = VisibilityFor(m_type->currentIndex());
    for (QWidget* control : m_priceSizeNotice) control->setVisible(shown.priceSizeNotice);
    for (QWidget* control : m_freeAllowance) control->setVisible(shown.freeAllowance);
    for (QWidget* control : m_cap) control->setVisible(shown.cap);
}

void CCfgDialupCountPage::OnEdited(PlanField field) {
    if (m_removing) return;
    QLineEdit* edit = Edit(field);
    const auto liveCheck = [&] { return CheckPlanField(field, edit->text().toStdString(), true); };
    const PlanFieldCheck check = liveCheck();
    if (check.ok) return;
    m_boxes.Show(RefusalBox(check, MessageIcon::Exclamation));
    // The character before the caret goes, as the user's own backspace would (it stays
    // undoable). A paste can leave more than one to refuse: they go too, after the one
    // message, down to a text that passes.
    m_removing = true;
    do {
        if (edit->cursorPosition() == 0) break;
        edit->backspace();
    } while (!liveCheck().ok);
    m_removing = false;
}

PlanEntry CCfgDialupCountPage::Entry() const {
    PlanEntry entry;
    entry.chargeType = m_type->currentIndex();
    entry.closingDay = m_closingDay->currentIndex();
    for (size_t i = 0; i < m_edits.size(); ++i) entry.texts[i] = m_edits[i]->text().toStdString();
    return entry;
}

bool CCfgDialupCountPage::CanLeave() {
    const PlanLeaveResult result = LeavePlanPage(Entry(), m_stored, m_boxes);
    if (result.focus) {
        QLineEdit* edit = Edit(*result.focus);
        edit->setFocus();
        edit->selectAll();
    }
    return result.leave;
}

void CCfgDialupCountPage::Apply() { m_plan = PlanFromEntry(Entry(), m_plan); }

}  // namespace vr31k

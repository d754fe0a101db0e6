#include "gui/ConnectionFiguresPanel.h"

#include "common/StringIds.h"
#include "gui/CAppDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace vr31k {

using namespace ids;

namespace {

struct Row {
    int labelId;
    const char* name;  // object names: <name>Label, <name>Value
    std::string ConnectionFiguresText::*text;
};

// In the order shown; the first three in the connection group, the rest under "料金".
constexpr int kConnectionRows = 3;
const std::array<Row, 6> kRows{{
    {IDS_DLG_FIGURES_TIME, "time", &ConnectionFiguresText::time},
    {IDS_DLG_FIGURES_SENT, "sent", &ConnectionFiguresText::sent},
    {IDS_DLG_FIGURES_RECEIVED, "received", &ConnectionFiguresText::received},
    {IDS_DLG_FIGURES_CHARGE, "charge", &ConnectionFiguresText::charge},
    {IDS_DLG_FIGURES_FREE_LEFT, "freeLeft", &ConnectionFiguresText::freeLeft},
    {IDS_DLG_FIGURES_LIMIT_LEFT, "limitLeft", &ConnectionFiguresText::limitLeft},
}};

QGroupBox* Group(int titleId, const char* name, QWidget* parent) {
    auto* group = new QGroupBox(Text(titleId), parent);
    group->setObjectName(QLatin1String(name));
    group->setAccessibleName(AccessibleNameOf(titleId));
    return group;
}

}  // namespace

ConnectionFiguresPanel::ConnectionFiguresPanel(int connectionGroupId, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("figures"));
    QGroupBox* groups[] = {Group(connectionGroupId, "connectionGroup", this),
                           Group(IDS_DLG_FIGURES_CHARGE_GROUP, "chargeGroup", this)};
    QGridLayout* grids[] = {new QGridLayout(groups[0]), new QGridLayout(groups[1])};
    m_chargeGrid = grids[1];

    // One label width for both groups, so the values line up in one column.
    int labelWidth = 0;
    for (const Row& row : kRows) labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(Text(row.labelId)));
    // Room for a petabyte in kilobytes; a longer figure scrolls within its field.
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("0,000,000,000,000 kBytes")) +
                           fontMetrics().averageCharWidth() * 2;
    for (size_t i = 0; i < kRows.size(); ++i) {
        const Row& row = kRows[i];
        QGroupBox* group = groups[i < kConnectionRows ? 0 : 1];
        QGridLayout* grid = grids[i < kConnectionRows ? 0 : 1];
        auto* label = new QLabel(Text(row.labelId), group);
        label->setObjectName(QLatin1String(row.name) + QLatin1String("Label"));
        label->setAccessibleName(AccessibleNameOf(row.labelId));
        label->setMinimumWidth(labelWidth);
        // Read-only fields, so screen readers read the figure and it can be copied.
        auto* value = new QLineEdit(group);
        value->setObjectName(QLatin1String(row.name) + QLatin1String("Value"));
        value->setAccessibleName(AccessibleNameOf(row.labelId));
        value->setReadOnly(true);
        value->setAlignment(Qt::AlignRight);
        value->setMinimumWidth(valueWidth);
        label->setBuddy(value);
        const int line = static_cast<int>(i < kConnectionRows ? i : i - kConnectionRows);
        grid->addWidget(label, line, 0);
        grid->addWidget(value, line, 1);
        m_values[i] = value;
    }
    auto* note = new QLabel(Text(IDS_DLG_FIGURES_NOTE), this);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setAccessibleName(Text(IDS_DLG_FIGURES_NOTE));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(groups[0]);
    layout->addWidget(groups[1]);
    layout->addWidget(note);
}

void ConnectionFiguresPanel::AddChargeLine(QWidget* line) {
    line->setParent(m_chargeGrid->parentWidget());
    m_chargeGrid->addWidget(line, m_chargeGrid->rowCount(), 0, 1, 2);
}

void ConnectionFiguresPanel::ShowFigures(const ConnectionFiguresText& figures) {
    // Refreshed every second: a field whose text stays keeps the user's selection.
    for (size_t i = 0; i < kRows.size(); ++i) {
        const QString text = QString::fromStdString(figures.*kRows[i].text);
        if (m_values[i]->text() != text) m_values[i]->setText(text);
    }
}

}  // namespace vr31k

#include "gui/TotalsFields.h"

#include "gui/CAppDlg.h"

#include <QGridLayout>
#include <QLabel>

namespace vr31k {

QLabel* AddTotalsField(QWidget* page, QGridLayout* grid, int row, int textId, const QString& objectName) {
    auto* label = new QLabel(Text(textId), page);
    label->setObjectName(objectName + QStringLiteral("Label"));
    auto* value = new QLabel(page);
    value->setObjectName(objectName);
    value->setAccessibleName(AccessibleNameOf(textId));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setBuddy(value);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

}  // namespace vr31k

#include "gui/TotalsFields.h"

#include "gui/CAppDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

namespace vr31k {

QListWidget* MakeTotalsList(QWidget* page, int nameId, const QString& objectName) {
    auto* list = new QListWidget(page);
    list->setObjectName(objectName);
    list->setAccessibleName(Text(nameId));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFixedWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 - 0000/00/00")) + 40);
    return list;
}

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

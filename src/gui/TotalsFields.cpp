#include "gui/TotalsFields.h"

#include "gui/CAppDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>

namespace vr31k {

QListWidget* MakeTotalsList(QWidget* page, int nameId, const QString& objectName) {
    auto* list = new QListWidget(page);
    list->setObjectName(objectName);
    list->setAccessibleName(Text(nameId));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFixedWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 - 0000/00/00")) + 40);
    return list;
}

QLineEdit* MakeValueField(QWidget* parent, const QString& objectName, const QString& accessibleName) {
    auto* value = new QLineEdit(parent);
    value->setObjectName(objectName);
    value->setAccessibleName(accessibleName);
    value->setReadOnly(true);
    value->setFrame(false);
    value->setFocusPolicy(Qt::ClickFocus);
    // Whatever lies behind shows through: a tab page is lighter than a dialog.
    QPalette palette = value->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    value->setPalette(palette);
    return value;
}

QLineEdit* AddTotalsField(QWidget* page, QGridLayout* grid, int row, int textId, const QString& objectName) {
    auto* label = new QLabel(Text(textId), page);
    label->setObjectName(objectName + QStringLiteral("Label"));
    QLineEdit* value = MakeValueField(page, objectName, AccessibleNameOf(textId));
    label->setBuddy(value);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

}  // namespace vr31k

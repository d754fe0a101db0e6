#include "gui/ProjectionLine.h"

#include "common/StringIds.h"
#include "gui/QtMessageBox.h"
#include "gui/TotalsFields.h"

#include <QFont>
#include <QVariant>
#include <QLineEdit>
#include <QPalette>

namespace vr31k {

QLineEdit* MakeProjectionLine(QWidget* parent, const QString& objectName) {
    return MakeValueField(parent, objectName, Text(ids::IDS_PROJECTION_NAME));
}

void ShowProjection(QLineEdit* line, const ProjectionText& projection) {
    const QString text = QString::fromStdString(projection.text);
    const QString warning = QString::fromStdString(projection.warningText);
    // Unchanged on most ticks: leave a selection the user is making alone.
    if (line->text() != text) line->setText(text);
    SetWarningLook(line, projection.warning);
    line->setToolTip(warning);
    line->setAccessibleDescription(warning);
}

void SetWarningLook(QWidget* widget, bool warning) {
    // Called on every tick: a font or palette change makes the dialog lay itself out again.
    const QVariant shown = widget->property("warningLook");
    if (shown.isValid() && shown.toBool() == warning) return;
    widget->setProperty("warningLook", warning);
    QFont font = widget->font();
    font.setBold(warning);
    widget->setFont(font);
    const QWidget* parent = widget->parentWidget();
    const QPalette normal = (parent != nullptr ? parent : widget)->palette();
    const QColor red(0xC0, 0x00, 0x00);
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {  // a label, a field
        palette.setColor(role, warning ? red : normal.color(role));
    }
    widget->setPalette(palette);
}

}  // namespace vr31k

#pragma once
// The line that says where the current period's charge is heading, as the totals' month
// page and the status dialog show it: the warning look (red, bold) when the projection
// warns, with the warning's words as its tooltip and its description for screen readers.
#include "mainwnd/ProjectionText.h"

#include <QString>

class QWidget;
class QLineEdit;

namespace vr31k {

// A read-only one-line field, named "予想金額" for screen readers, which read its text.
QLineEdit* MakeProjectionLine(QWidget* parent, const QString& objectName);
void ShowProjection(QLineEdit* line, const ProjectionText& projection);
// The warning look, for the line and for anything that repeats its warning.
void SetWarningLook(QWidget* widget, bool warning);

}  // namespace vr31k

#pragma once
// The value fields of the totals pages: a label with the table's text and beside it the
// value, named after the label for screen readers.
#include <QString>

class QGridLayout;
class QLineEdit;
class QListWidget;
class QWidget;

namespace vr31k {

// The selection list at the left of a page, wide enough for a period
// ("YYYY/MM/DD - YYYY/MM/DD"), named by `nameId`'s text.
QListWidget* MakeTotalsList(QWidget* page, int nameId, const QString& objectName);

// A value that reads like a label but, unlike a label named after its caption, lets
// screen readers read the value too (and the user select and copy it): a read-only,
// frameless field.
QLineEdit* MakeValueField(QWidget* parent, const QString& objectName, const QString& accessibleName);

// Adds the pair in `row` of `grid`; returns the value field (empty until filled).
QLineEdit* AddTotalsField(QWidget* page, QGridLayout* grid, int row, int textId, const QString& objectName);

}  // namespace vr31k

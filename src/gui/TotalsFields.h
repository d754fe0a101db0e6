#pragma once
// The value fields of the totals pages: a label with the table's text and beside it the
// value, named after the label for screen readers.
#include <QString>

class QGridLayout;
class QLabel;
class QListWidget;
class QWidget;

namespace vr31k {

// The selection list at the left of a page, wide enough for a period
// ("YYYY/MM/DD - YYYY/MM/DD"), named by `nameId`'s text.
QListWidget* MakeTotalsList(QWidget* page, int nameId, const QString& objectName);

// Adds the pair in `row` of `grid`; returns the value label (empty until filled).
QLabel* AddTotalsField(QWidget* page, QGridLayout* grid, int row, int textId, const QString& objectName);

}  // namespace vr31k

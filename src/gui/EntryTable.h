#pragma once
// The ten-row entry table of the entry page and the change list: "#" and the APN, grid
// lines, whole rows selected one at a time, nothing edited in place.
#include <QString>

class QColor;
class QTableWidget;
class QWidget;

namespace vr31k {

QTableWidget* MakeEntryTable(QWidget* parent, int apnColumnWidth, const QString& objectName);
// Row `row`'s texts: its number and `apn`; the items are reused, so a selection stays.
void SetEntryRow(QTableWidget* table, int row, const QString& apn);
void SetEntryRowColour(QTableWidget* table, int row, const QColor& colour);
// The selected row, or -1.
int SelectedEntryRow(const QTableWidget* table);

}  // namespace vr31k

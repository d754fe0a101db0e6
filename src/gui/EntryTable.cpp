#include "gui/EntryTable.h"

#include "common/StringIds.h"
#include "dialup/EntryList.h"
#include "gui/CAppDlg.h"

#include <QHeaderView>
#include <QTableWidget>

namespace vr31k {

namespace {

constexpr int kNumberColumnWidth = 25;

QTableWidgetItem* ItemAt(QTableWidget* table, int row, int column) {
    QTableWidgetItem* item = table->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        table->setItem(row, column, item);
    }
    return item;
}

}  // namespace

QTableWidget* MakeEntryTable(QWidget* parent, int apnColumnWidth, const QString& objectName) {
    auto* table = new QTableWidget(kEntryCount, 2, parent);
    table->setObjectName(objectName);
    table->setAccessibleName(Text(ids::IDS_DLG_ENTRY_LIST));
    table->setHorizontalHeaderLabels({Text(ids::IDS_DLG_ENTRY_COLUMN_NUMBER), Text(ids::IDS_DLG_ENTRY_COLUMN_APN)});
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignCenter);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setHighlightSections(false);
    table->setColumnWidth(0, kNumberColumnWidth);
    table->setColumnWidth(1, apnColumnWidth);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setShowGrid(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setTabKeyNavigation(false);
    // All ten rows at once, as the fixed-size list it stands for.
    int height = table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth();
    for (int row = 0; row < kEntryCount; ++row) height += table->rowHeight(row);
    table->setFixedSize(kNumberColumnWidth + apnColumnWidth + 2 * table->frameWidth(), height);
    for (int row = 0; row < kEntryCount; ++row) SetEntryRow(table, row, QString());
    return table;
}

void SetEntryRow(QTableWidget* table, int row, const QString& apn) {
    QTableWidgetItem* number = ItemAt(table, row, 0);
    number->setText(QString::number(row + 1));
    number->setTextAlignment(Qt::AlignCenter);
    ItemAt(table, row, 1)->setText(apn);
}

void SetEntryRowColour(QTableWidget* table, int row, const QColor& colour) {
    for (int column = 0; column < 2; ++column) ItemAt(table, row, column)->setForeground(colour);
}

int SelectedEntryRow(const QTableWidget* table) {
    const QList<QTableWidgetItem*> selected = table->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

}  // namespace vr31k

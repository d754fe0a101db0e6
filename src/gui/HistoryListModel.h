#pragma once
// The rows of the history list for a Qt view: every row's nine texts are formatted once
// when the list is filled and kept packed in one string, so a long history costs a few
// hundred bytes a row and the view asks only for the rows it shows.
#include "accounting/CDbHistoryCtrl.h"
#include "mainwnd/HistoryViewRules.h"

#include <QAbstractTableModel>
#include <QCollator>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

class HistoryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HistoryListModel(QObject* parent = nullptr);

    // Replaces the rows with the history's, in table order, then applies the current
    // sort and filter. Returns the history's code; a failure leaves the list empty.
    int Fill(const CDbHistoryCtrl& history);
    // Sorts by `column` (0-8) in the list's order, starting from the current order so
    // equal rows keep theirs; -1 leaves the order as it is.
    void Sort(int column, bool ascending);
    // Shows only the rows whose entry name holds `text` (any case); empty shows all.
    void SetFilter(const QString& text);
    int TotalRows() const { return static_cast<int>(m_rows.size()); }
    std::string_view Cell(int shownRow, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        std::string texts;  // the nine cells one after another
        std::array<uint16_t, kHistoryColumnCount + 1> starts{};
        std::string_view Cell(int column) const {
            return std::string_view(texts).substr(starts[static_cast<size_t>(column)],
                                                  starts[static_cast<size_t>(column) + 1] - starts[static_cast<size_t>(column)]);
        }
    };
    static Row Pack(const HistoryCells& cells);
    void ApplyFilter();

    std::vector<Row> m_rows;    // table order
    std::vector<int> m_order;   // sorted, all rows
    std::vector<int> m_shown;   // m_order less the filtered-out rows
    QString m_filter;
    QCollator m_collator;
};

}  // namespace vr31k

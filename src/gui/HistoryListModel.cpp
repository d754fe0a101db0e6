#include "gui/HistoryListModel.h"

#include "common/StringIds.h"
#include "gui/QtMessageBox.h"

#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <optional>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kHeaderIds[kHistoryColumnCount] = {
    IDS_HISTORY_COL_ENTRY,    IDS_HISTORY_COL_START,     IDS_HISTORY_COL_END,
    IDS_HISTORY_COL_DURATION, IDS_HISTORY_COL_SENT,      IDS_HISTORY_COL_RECV,
    IDS_HISTORY_COL_LEFT_FREE, IDS_HISTORY_COL_LEFT_LIMIT, IDS_HISTORY_COL_CHARGE,
};

}  // namespace

HistoryListModel::HistoryListModel(QObject* parent)
    : QAbstractTableModel(parent), m_collator(QLocale(QLocale::Japanese, QLocale::Japan)) {}

HistoryListModel::Row HistoryListModel::Pack(const HistoryCells& cells) {
    Row row;
    size_t size = 0;
    for (const std::string& cell : cells) size += cell.size();
    row.texts.reserve(size);
    for (size_t i = 0; i < cells.size(); ++i) {
        row.starts[i] = static_cast<uint16_t>(row.texts.size());
        // An entry name is at most a few hundred bytes; the packing keeps offsets in 16 bits.
        row.texts.append(cells[i], 0, std::numeric_limits<uint16_t>::max() / kHistoryColumnCount);
    }
    row.starts[cells.size()] = static_cast<uint16_t>(row.texts.size());
    return row;
}

int HistoryListModel::Fill(const CDbHistoryCtrl& history) {
    beginResetModel();
    m_rows.clear();
    const int result = history.ForEachRow([this](const HistoryRow& row) {
        m_rows.push_back(Pack(HistoryRowCells(row)));
        return true;
    });
    if (result != kDbOk) m_rows.clear();
    m_rows.shrink_to_fit();
    m_order.resize(m_rows.size());
    for (size_t i = 0; i < m_order.size(); ++i) m_order[i] = static_cast<int>(i);
    ApplyFilter();
    endResetModel();
    return result;
}

void HistoryListModel::Sort(int column, bool ascending) {
    if (ValidSortColumn(column) < 0) return;
    // Each row's rank and collation key are worked out once, not at every comparison;
    // the collation keys only for rows whose rank ties with another's.
    std::vector<int64_t> ranks(m_rows.size());
    for (size_t row = 0; row < m_rows.size(); ++row) ranks[row] = HistoryRankKey(column, m_rows[row].Cell(column));
    std::vector<std::optional<QCollatorSortKey>> keys(m_rows.size());
    const auto key = [&](int row) -> const QCollatorSortKey& {
        auto& slot = keys[static_cast<size_t>(row)];
        if (!slot) {
            const std::string_view text = m_rows[static_cast<size_t>(row)].Cell(column);
            slot.emplace(m_collator.sortKey(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
        }
        return *slot;
    };
    beginResetModel();
    std::stable_sort(m_order.begin(), m_order.end(), [&](int x, int y) {
        const int64_t rx = ranks[static_cast<size_t>(x)];
        const int64_t ry = ranks[static_cast<size_t>(y)];
        const int c = rx != ry ? (rx < ry ? -1 : 1) : key(x).compare(key(y));
        return ascending ? c < 0 : c > 0;
    });
    ApplyFilter();
    endResetModel();
}

void HistoryListModel::SetFilter(const QString& text) {
    if (text == m_filter) return;
    beginResetModel();
    m_filter = text;
    ApplyFilter();
    endResetModel();
}

void HistoryListModel::ApplyFilter() {
    if (m_filter.isEmpty()) {
        m_shown = m_order;
        return;
    }
    m_shown.clear();
    for (int row : m_order) {
        const std::string_view entry = m_rows[static_cast<size_t>(row)].Cell(kColEntry);
        const QString name = QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
        if (name.contains(m_filter, Qt::CaseInsensitive)) m_shown.push_back(row);
    }
}

std::string_view HistoryListModel::Cell(int shownRow, int column) const {
    return m_rows[static_cast<size_t>(m_shown[static_cast<size_t>(shownRow)])].Cell(column);
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int HistoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kHistoryColumnCount;
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const std::string_view text = Cell(index.row(), index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant HistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kHistoryColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return Text(kHeaderIds[section]);
}

}  // namespace vr31k

#include "gui/CCfgHistoryListDlg.h"

#include "accounting/HistoryCsv.h"
#include "accounting/HistoryRowRules.h"
#include "common/AtomicFileWriter.h"
#include "common/StringIds.h"
#include "gui/HistoryListModel.h"
#include "gui/Pictures.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <limits>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kMinWidth = 400;
constexpr int kMinHeight = 300;
// The size the window opens with before the user has sized it.
constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 420;
constexpr mode_t kCsvMode = 0644;

// The longest texts a column's cells can show: the largest byte counts and duration a
// row may hold, the largest charge, both forms of a date. An entry name may be of any
// length: its column keeps its width, for the user to widen.
std::vector<std::string> WidestCells(int column) {
    switch (column) {
    case kColStart:
    case kColEnd:
        return {FormatHistoryDateTime(MakeOleDate(2000, 12, 28, 23, 59, 59)), FormatHistoryDateTime(OleDate::Invalid())};
    case kColDuration:
        return {FormatHistoryDuration(static_cast<double>(kMaxHistoryDurationSeconds) / kSecondsPerDay)};
    case kColSent:
    case kColRecv:
    case kColLeftFree:
    case kColLeftLimit:
        return {FormatHistoryBytes(kMaxHistoryBytes), FormatHistoryBytes(int64_t{1} << 30)};
    case kColCharge:
        return {FormatHistoryCharge(std::numeric_limits<int32_t>::max()), FormatHistoryCharge(std::nullopt)};
    default:
        return {};
    }
}

// The text with each digit as the font's widest, so that any figure of its length fits.
QString AtWidestDigits(const std::string& text, const QFontMetrics& metrics) {
    QChar widest = QLatin1Char('0');
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widest)) widest = QLatin1Char(digit);
    }
    QString wide = QString::fromStdString(text);
    for (QChar& c : wide) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) c = widest;
    }
    return wide;
}

// A column is never narrower than its header with the sort arrow (shown or not) and its
// widest possible cell in the list's font, nor than its classic width. Set once, so
// widths the user changes are kept while the window is open.
void FitColumns(QTreeView& list) {
    QHeaderView& header = *list.header();
    for (int column = 0; column < kHistoryColumnCount; ++column) {
        QStyleOptionHeader title;
        title.initFrom(&header);
        title.orientation = Qt::Horizontal;
        title.section = column;
        title.text = list.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        title.sortIndicator = QStyleOptionHeader::SortDown;
        int width = std::max(kHistoryColumnWidths[static_cast<size_t>(column)],
                             header.style()->sizeFromContents(QStyle::CT_HeaderSection, &title, QSize(), &header).width());
        for (const std::string& text : WidestCells(column)) {
            QStyleOptionViewItem cell;
            cell.initFrom(&list);
            cell.font = list.font();
            cell.features = QStyleOptionViewItem::HasDisplay;
            cell.text = AtWidestDigits(text, cell.fontMetrics);
            width = std::max(width, list.style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), &list).width());
        }
        header.resizeSection(column, width);
    }
}

}  // namespace

CCfgHistoryListDlg::CCfgHistoryListDlg(CDbHistoryCtrl& history, const SettingsStore& settings, IMessageBox& boxes,
                                       QWidget* parent)
    : CAppDlg(IDS_HISTORY_LIST_CAPTION, QStringLiteral("CCfgHistoryListDlg"), parent),
      m_history(history),
      m_settings(settings),
      m_boxes(boxes),
      m_model(new HistoryListModel(this)) {
    AllowResizing();
    setWindowIcon(ApplicationIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kInitialWidth, kInitialHeight);

    auto* filterLabel = MakeLabel(IDS_HISTORY_FILTER_LABEL, QStringLiteral("filterLabel"));
    m_filter = new QLineEdit(this);
    Identify(m_filter, IDS_HISTORY_FILTER_LABEL, QStringLiteral("filterEdit"));
    m_filter->setClearButtonEnabled(true);
    filterLabel->setBuddy(m_filter);

    m_list = new QTreeView(this);
    Identify(m_list, IDS_HISTORY_LIST_CAPTION, QStringLiteral("historyList"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(false);
    FitColumns(*m_list);

    auto* note = MakeLabel(IDS_HISTORY_NOTE, QStringLiteral("noteLabel"));
    auto* clear = MakeControl<QPushButton>(IDS_HISTORY_CLEAR_BUTTON, QStringLiteral("clearButton"));
    clear->setAutoDefault(false);
    auto* save = MakeControl<QPushButton>(IDS_HISTORY_SAVE_CSV, QStringLiteral("saveCsvButton"));
    save->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(clear);
    bottom->addWidget(save);
    bottom->addStretch();
    bottom->addWidget(MakeOk());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(note);
    layout->addLayout(bottom);

    m_choosePath = [this] {
        return QFileDialog::getSaveFileName(this, Text(IDS_HISTORY_SAVE_CSV), QStringLiteral("history.csv"),
                                            Text(IDS_HISTORY_CSV_FILTER));
    };
    connect(header, &QHeaderView::sectionClicked, this, &CCfgHistoryListDlg::OnHeaderClicked);
    connect(clear, &QPushButton::clicked, this, &CCfgHistoryListDlg::OnClear);
    connect(save, &QPushButton::clicked, this, &CCfgHistoryListDlg::OnSaveCsv);
    connect(m_filter, &QLineEdit::textChanged, m_model, &HistoryListModel::SetFilter);

    const HistoryListSettings state = m_settings.ReadHistoryList();
    if (state.maximized != 0) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (state.cx != 0 && state.cy != 0) {
        resize(std::max(state.cx, kMinWidth), std::max(state.cy, kMinHeight));
    }
    m_sortColumn = ValidSortColumn(state.sortColumn);
    m_ascending = state.sortMode != 0;
    Fill();
    ApplySort();
}

CCfgHistoryListDlg::~CCfgHistoryListDlg() = default;

bool CCfgHistoryListDlg::Run() {
    exec();
    return m_cleared;
}

void CCfgHistoryListDlg::Fill() { m_model->Fill(m_history); }

void CCfgHistoryListDlg::ApplySort() {
    QHeaderView* header = m_list->header();
    if (m_sortColumn < 0) {
        header->setSortIndicatorShown(false);
        return;
    }
    m_model->Sort(m_sortColumn, m_ascending);
    header->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    header->setSortIndicatorShown(true);
}

void CCfgHistoryListDlg::OnHeaderClicked(int column) {
    if (column == m_sortColumn) {
        m_ascending = !m_ascending;
    } else {
        m_sortColumn = ValidSortColumn(column);
        m_ascending = true;
    }
    ApplySort();
}

void CCfgHistoryListDlg::OnClear() {
    MessageBoxRequest question = MakeMessage(IDS_HISTORY_CLEAR_CAPTION, IDS_HISTORY_CLEAR_TEXT, MessageIcon::Exclamation);
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = MessageResult::Yes;
    if (m_boxes.Show(question) != MessageResult::Yes) return;
    m_cleared = true;
    const int result = m_history.ClearHistory();
    // The rows are gone once the clear succeeded; a compaction that fails only leaves
    // the file larger than it need be.
    if (result == kDbOk) m_history.CompactHistory();
    Fill();
    ApplySort();
    if (result != kDbOk) {
        m_boxes.Tell(IDS_HISTORY_CLEAR_FAILED_CAPTION, IDS_HISTORY_CLEAR_FAILED_TEXT, MessageIcon::Exclamation);
    }
}

void CCfgHistoryListDlg::OnSaveCsv() {
    const QString path = m_choosePath();
    if (path.isEmpty()) return;
    std::string text;
    int error = 0;
    const int result = WriteHistoryCsv(m_history, text);
    std::string reason;
    if (result != kDbOk) {
        reason = m_history.LastError();
    } else if ((error = WriteFileAtomically(path.toStdString(), text, kCsvMode)) != 0) {
        reason = path.toStdString() + ": " + std::strerror(error);
    } else {
        return;
    }
    m_boxes.Tell(IDS_HISTORY_CSV_FAILED_CAPTION, IDS_HISTORY_CSV_FAILED_TEXT, MessageIcon::Exclamation, {reason});
}

void CCfgHistoryListDlg::done(int result) {
    SaveState();
    CAppDlg::done(result);
}

void CCfgHistoryListDlg::SaveState() {
    HistoryListSettings state;
    const bool maximized = isMaximized();
    state.cx = width();
    state.cy = height();
    state.maximized = maximized ? 1 : 0;
    state.sortColumn = m_sortColumn;
    state.sortMode = m_ascending ? 1 : 0;
    // The size only of a window the user sized: a maximised one keeps the size it will
    // return to.
    m_settings.WriteHistoryList(state, !maximized);
}

}  // namespace vr31k

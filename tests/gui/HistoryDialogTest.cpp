// The history list and the totals sheet over a history written into a temporary
// database: the window state in GUI_CONFIG, sorting by header, clearing, the CSV
// export and the filter, and the fields and chart of both totals pages.
#include "ModalScript.h"
#include "Widgets.h"
#include "accounting/HistoryCsv.h"
#include "accounting/HistoryRowRules.h"
#include "accounting/PeriodPace.h"
#include "common/StringIds.h"
#include "gui/CCfgHistoryListDlg.h"
#include "gui/CCfgHistoryTotalEntryPage.h"
#include "gui/CCfgHistoryTotalMonthPage.h"
#include "gui/CCfgHistoryTotalSheet.h"
#include "gui/HistoryListModel.h"
#include "gui/QtMessageBox.h"
#include "gui/UsageChartView.h"
#include "support/SamplePlan.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "Spoken.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <gtest/gtest.h>

#include <limits>
#include <map>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::ModalScript;
using vr31k::test::ReadFile;
using vr31k::test::ScriptedUi;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

HistoryRow Row(const char* entry, const char* end, int64_t seconds, int64_t sent, int64_t recv,
               std::optional<int32_t> charge) {
    HistoryRow row;
    row.entry = entry;
    row.end = ParseOleDateTime(end).value();
    row.start = OleMinusSeconds(row.end, seconds);
    row.duration = static_cast<double>(seconds) / kSecondsPerDay;
    row.sent = sent;
    row.recv = recv;
    row.leftFree = 0;
    row.leftLimit = 0;
    row.charge = charge;
    return row;
}

// Three billing periods with closing day 20: two hold rows, the middle one none.
std::vector<HistoryRow> SampleRows() {
    return {
        Row("b.example", "2008/03/10 10:00:00", 59, 1000, 5000, std::nullopt),
        Row("A.example", "2008/05/02 10:00:00", 3725, 999, 2000000000, 1000),
        Row("a.example", "2008/05/20 23:59:59", 90000, 2000000000, 128000, 1500),
        Row("b.example", "2008/05/05 10:00:00", 1, 12345, 0, 1200),
    };
}

struct History {
    explicit History(const std::vector<HistoryRow>& rows = SampleRows()) {
        EXPECT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), std::nullopt), kDbOk);
        EXPECT_EQ(charge.History().InsertRows(rows), kDbOk);
        charge.SetClock([] { return MakeOleDate(2008, 5, 10, 12, 0, 0); });
        // Metered with a free allowance of 1,000 yen for 1,000 packets.
        charge.Plan() =
            test::MakePlan({.type = kChargeMeteredFree, .price = 0.5, .freePackets = 1000, .freeFee = 1000});
        charge.DerivePlan();
    }
    void State(const std::string& lines) { WriteFile(dir.File("VR31KUTL.ini"), "[GUI_CONFIG]\n" + lines); }
    int Rows() {
        int rows = 0;
        charge.History().ForEachRow([&rows](const HistoryRow&) { return ++rows, true; });
        return rows;
    }

    TempDir dir;
    ChargeAccounting charge;
    SettingsStore settings{dir.File("VR31KUTL.ini")};
    ScriptedUi boxes;
};

// The list over the sample rows, opened after the test has written its stored state.
class HistoryList : public ::testing::Test, protected History {
protected:
    CCfgHistoryListDlg& Open() { return m_dialog.emplace(charge.History(), settings, boxes); }
    template <typename T>
    T* Get(const char* name) { return test::Child<T>(*m_dialog, name); }
    QHeaderView* Header() { return Get<QTreeView>("historyList")->header(); }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < m_dialog->Model().rowCount(); ++row) {
            texts.emplace_back(m_dialog->Model().Cell(row, column));
        }
        return texts;
    }
    std::optional<CCfgHistoryListDlg> m_dialog;
};

TEST_F(HistoryList, ColumnsReadAsTheWindowShowsThem) {
    CCfgHistoryListDlg& dialog = Open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("通信履歴"));
    EXPECT_EQ(dialog.minimumSize(), QSize(400, 300));
    EXPECT_TRUE(dialog.isSizeGripEnabled());
    const QStringList headers = {"接続先", "開始日時", "終了日時", "通信時間", "送信データ量", "受信データ量",
                                 "ﾊﾟｹｯﾄ無料通信料 残量", "ﾊﾟｹｯﾄ定額料 残量", "概算金額"};
    const int widths[] = {100, 126, 126, 98, 80, 80, 130, 105, 70};
    QTreeView* list = Get<QTreeView>("historyList");
    for (int column = 0; column < 9; ++column) {
        EXPECT_EQ(dialog.Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        EXPECT_GE(list->header()->sectionSize(column), widths[column]) << column;
    }
    // Unsorted: the table's order.
    ASSERT_EQ(dialog.Model().rowCount(), 4);
    const HistoryCells second = {"A.example",     "2008/05/02 08:57:55", "2008/05/02 10:00:00",
                                 "1時間02分05秒", "999 Bytes",           "1,953,125 kBytes",
                                 "0 Bytes",       "0 Bytes",             "\u00A5 1,000"};
    for (int column = 0; column < 9; ++column) EXPECT_EQ(dialog.Model().Cell(1, column), second[static_cast<size_t>(column)]);
    EXPECT_EQ(dialog.Model().Cell(0, kColCharge), "---");
    EXPECT_EQ(dialog.Model().Cell(2, kColDuration), "25時間00分00秒");
    EXPECT_FALSE(list->header()->isSortIndicatorShown());
    EXPECT_NE(Get<QLabel>("noteLabel")->text().indexOf(QStringLiteral("\n　　　　　　　実際の請求額")), -1);
}

// Rows at the limits a history row may hold: every figure shows whole, whatever the
// font, and the header keeps room for the arrow; a width the user sets stays.
TEST_F(HistoryList, ColumnsShowTheirWidestFiguresAndHeadersWhole) {
    std::vector<HistoryRow> widest{Row("x", "2008/05/28 23:58:58", kMaxHistoryDurationSeconds, kMaxHistoryBytes,
                                       kMaxHistoryBytes, std::numeric_limits<int32_t>::max()),
                                   Row("y", "2008/05/28 23:58:58", 86399, int64_t{1} << 30, 888888888, std::nullopt)};
    for (HistoryRow& row : widest) row.leftFree = row.leftLimit = row.sent;
    ASSERT_EQ(charge.History().InsertRows(widest), kDbOk);
    State("HistoryListSortColumn=4\nHistoryListSortMode=1\n");
    Open().show();
    QTreeView* list = Get<QTreeView>("historyList");
    QHeaderView* header = list->header();
    ASSERT_TRUE(header->isSortIndicatorShown());
    const QAbstractItemView* view = list;  // the widest cell of the rows shown
    for (int column = 0; column < kHistoryColumnCount; ++column) {
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        EXPECT_GE(header->sectionSize(column), column == kColEntry ? 0 : view->sizeHintForColumn(column)) << column;
    }
    EXPECT_EQ(Column(kColSent).back(), "1,099,511,627,776 kBytes") << "sorted last";
    header->resizeSection(kColSent, 40);
    header->resizeSection(kColDuration, 400);
    emit header->sectionClicked(kColRecv);
    EXPECT_EQ(header->sectionSize(kColSent), 40);
    EXPECT_EQ(header->sectionSize(kColDuration), 400);
}

TEST_F(HistoryList, HeaderClicksSortByTheListsRules) {
    CCfgHistoryListDlg& dialog = Open();
    QHeaderView* header = Header();
    header->sectionClicked(kColSent);
    EXPECT_EQ(Column(kColSent),
              (std::vector<std::string>{"999 Bytes", "1,000 Bytes", "12,345 Bytes", "1,953,125 kBytes"}));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), kColSent);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    header->sectionClicked(kColSent);  // the same column again: descending
    EXPECT_EQ(Column(kColSent),
              (std::vector<std::string>{"1,953,125 kBytes", "12,345 Bytes", "1,000 Bytes", "999 Bytes"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    header->sectionClicked(kColCharge);  // another column: ascending, "---" first
    EXPECT_EQ(dialog.SortColumn(), kColCharge);
    EXPECT_TRUE(dialog.SortAscending());
    EXPECT_EQ(Column(kColCharge),
              (std::vector<std::string>{"---", "\u00A5 1,000", "\u00A5 1,200", "\u00A5 1,500"}));

    // The Japanese collation: case is a lesser difference than the letter, lower case first.
    header->sectionClicked(kColEntry);
    EXPECT_EQ(Column(kColEntry),
              (std::vector<std::string>{"a.example", "A.example", "b.example", "b.example"}));
}

TEST_F(HistoryList, OpensWithTheStoredStateAndWritesItBack) {
    State("HistoryListCx=640\nHistoryListCy=480\nHistoryListMx=0\nHistoryListSortColumn=4\nHistoryListSortMode=0\n");
    CCfgHistoryListDlg& dialog = Open();
    ModalScript script(dialog);
    script.Then([&] {
        EXPECT_EQ(dialog.size(), QSize(640, 480));
        EXPECT_FALSE(dialog.isMaximized());
        EXPECT_EQ(dialog.SortColumn(), kColSent);
        EXPECT_FALSE(dialog.SortAscending());
        EXPECT_EQ(dialog.Model().Cell(0, kColSent), "1,953,125 kBytes");
        dialog.resize(700, 500);
        Header()->sectionClicked(kColEnd);
        test::Click(dialog, "okButton");
    });
    EXPECT_FALSE(dialog.Run());
    EXPECT_EQ(settings.ReadHistoryList(), (HistoryListSettings{700, 500, 0, kColEnd, 1}));
}

TEST_F(HistoryList, AMaximisedWindowKeepsTheSizeItReturnsTo) {
    State("HistoryListCx=640\nHistoryListCy=480\nHistoryListMx=1\nHistoryListSortColumn=12\nHistoryListSortMode=1\n");
    CCfgHistoryListDlg& dialog = Open();
    EXPECT_EQ(dialog.SortColumn(), -1) << "a column the list does not have";
    ModalScript script(dialog);
    script.Then([&] {
        EXPECT_TRUE(dialog.isMaximized());
        dialog.reject();
    });
    dialog.Run();
    EXPECT_EQ(settings.ReadHistoryList(), (HistoryListSettings{640, 480, 1, -1, 1}));
}

TEST_F(HistoryList, ClearingAsksFirstThenEmptiesTheHistory) {
    CCfgHistoryListDlg& dialog = Open();
    boxes.answers = {false, true};
    ModalScript script(dialog);
    script.Then([&] {
        QPushButton* clear = Get<QPushButton>("clearButton");
        clear->click();  // No
        EXPECT_EQ(dialog.Model().rowCount(), 4);
        EXPECT_FALSE(dialog.HistoryCleared());
        clear->click();  // Yes
        EXPECT_EQ(dialog.Model().rowCount(), 0);
        dialog.accept();
    });
    EXPECT_TRUE(dialog.Run());
    ASSERT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(boxes.asked[0].caption, IDS_HISTORY_CLEAR_CAPTION);
    EXPECT_EQ(boxes.asked[0].text, IDS_HISTORY_CLEAR_TEXT);
    EXPECT_EQ(boxes.asked[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(charge.History().IsOpen()) << "compacted and still open";
    // The current period's totals afterwards are 0.
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().periodBytes, 0);
}

TEST_F(HistoryList, TheFilterShowsTheEntriesThatHoldTheText) {
    CCfgHistoryListDlg& dialog = Open();
    QLineEdit* filter = Get<QLineEdit>("filterEdit");
    filter->setText(QStringLiteral("a.EX"));
    EXPECT_EQ(Column(kColEntry), (std::vector<std::string>{"A.example", "a.example"}));
    Header()->sectionClicked(kColEntry);
    EXPECT_EQ(Column(kColEntry), (std::vector<std::string>{"a.example", "A.example"}));
    filter->clear();
    EXPECT_EQ(dialog.Model().rowCount(), 4);
    EXPECT_EQ(dialog.Model().TotalRows(), 4);
}

TEST_F(HistoryList, SavesTheSameCsvAsTheCommandLine) {
    CCfgHistoryListDlg& dialog = Open();
    std::string expected;
    ASSERT_EQ(WriteHistoryCsv(charge.History(), expected), kDbOk);
    ASSERT_EQ(expected.rfind(kHistoryCsvHeader, 0), 0u);

    QString path = QString::fromStdString(dir.File("saved.csv"));
    dialog.SetPathChooser([&path] { return path; });
    Get<QLineEdit>("filterEdit")->setText(QStringLiteral("b."));  // the file holds every row
    test::Click(dialog, "saveCsvButton");
    EXPECT_EQ(ReadFile(dir.File("saved.csv")), expected);
    EXPECT_TRUE(boxes.shown.empty());

    path = QString::fromStdString(dir.File("no/such/folder/saved.csv"));
    test::Click(dialog, "saveCsvButton");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, IDS_HISTORY_CSV_FAILED_CAPTION);
    EXPECT_NE(boxes.shown[0].shownText.find("no/such/folder"), std::string::npos) << boxes.shown[0].shownText;

    path.clear();  // cancelled
    test::Click(dialog, "saveCsvButton");
    EXPECT_EQ(boxes.shown.size(), 1u);
}

std::map<std::string, QString> Fields(QWidget* page) {
    std::map<std::string, QString> fields;
    for (const char* name : {"durationValue", "sentValue", "recvValue", "chargeValue", "freeLeftValue",
                             "limitLeftValue"}) {
        if (auto* field = page->findChild<QLineEdit*>(QString::fromLatin1(name))) fields[name] = field->text();
    }
    return fields;
}

// Ten days left at 2008/05/10 of the period that ends on the 20th.
PeriodProjection Heading(int32_t charge, ProjectionWarning warning) {
    return {.available = true, .daysInPeriod = 30, .daysLeft = 10, .elapsedDays = 20, .projectedCharge = charge,
            .warning = warning, .warningText = warning != ProjectionWarning::None ? "heading past the cap" : ""};
}

QStringList SeriesNames(QWidget* page) {
    QStringList names;
    for (QAbstractSeries* series : page->findChild<UsageChartView*>()->chart()->series()) {
        if (series->type() == QAbstractSeries::SeriesTypeBar) names << QStringLiteral("bars");
        else names << series->name();
    }
    return names;
}

TEST(HistoryTotals, PeriodsNewestFirstWithTheirTotalsChargeAndChart) {
    History h;
    CCfgHistoryTotalSheet sheet(h.charge);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("通信集計"));
    ASSERT_EQ(sheet.Pages()->count(), 3);  // and the programs page (ProgramPageTest.cpp)
    EXPECT_EQ(sheet.Pages()->tabText(0), QStringLiteral("月別"));
    EXPECT_EQ(sheet.Pages()->tabText(1), QStringLiteral("接続先別"));
    EXPECT_EQ(sheet.findChild<QPushButton*>(QStringLiteral("cancelButton")), nullptr);

    CCfgHistoryTotalMonthPage* page = sheet.MonthPage();
    QListWidget* periods = page->Periods();
    ASSERT_EQ(periods->count(), 3);
    EXPECT_EQ(periods->item(0)->text(), QStringLiteral("2008/04/21 - 2008/05/20"));
    EXPECT_EQ(periods->item(1)->text(), QStringLiteral("2008/03/21 - 2008/04/20"));
    EXPECT_EQ(periods->item(2)->text(), QStringLiteral("2008/02/21 - 2008/03/20"));
    EXPECT_EQ(periods->currentRow(), 0);
    // 2,000,013,344 sent + 2,000,128,000 received: 1,000 yen, then (4,000,141,344 - 128,000) / 128 packets at 0.5 yen.
    const std::map<std::string, QString> newest = {
        {"durationValue", "26時間02分06秒"}, {"sentValue", "1,953,138 kBytes"}, {"recvValue", "1,953,250 kBytes"},
        {"chargeValue", "\u00A5 15,626,052"}, {"freeLeftValue", "0 Bytes"},   {"limitLeftValue", "0 Bytes"},
    };
    EXPECT_EQ(Fields(page), newest);
    EXPECT_EQ(page->Usage().days.size(), 30u);
    EXPECT_EQ(page->Usage().todayIndex, 19);
    EXPECT_EQ(SeriesNames(page), (QStringList{"bars", "概算料金(累計)", "無料通信料", "今日"}));
    // The running charge stops at today: the days ahead have none yet.
    const auto* line = qobject_cast<QLineSeries*>(page->findChild<UsageChartView*>()->chart()->series().at(1));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->count(), 20);

    periods->setCurrentRow(1);  // no rows: the plan's charge for nothing
    const std::map<std::string, QString> empty = {
        {"durationValue", "0秒"},     {"sentValue", "0 Bytes"},           {"recvValue", "0 Bytes"},
        {"chargeValue", "\u00A5 1,000"}, {"freeLeftValue", "128,000 Bytes"}, {"limitLeftValue", "0 Bytes"},
    };
    EXPECT_EQ(Fields(page), empty);
    EXPECT_EQ(page->Usage().todayIndex, -1);
    EXPECT_EQ(SeriesNames(page), (QStringList{"bars", "概算料金(累計)", "無料通信料"}));

    EXPECT_EQ(qobject_cast<QLineSeries*>(page->findChild<UsageChartView*>()->chart()->series().at(1))->count(), 31);  // March 21 to April 20

    periods->setCurrentRow(2);
    EXPECT_EQ(Fields(page).at("durationValue"), QStringLiteral("59秒"));
    EXPECT_EQ(Fields(page).at("sentValue"), QStringLiteral("1,000 Bytes"));
}

TEST(HistoryTotals, AnIncompletePlanShowsNoChargeAndTheProjectionHookDraws) {
    History h;
    h.charge.Plan().freeCall1 = -1;
    h.charge.DerivePlan();
    CCfgHistoryTotalMonthPage page(h.charge);
    EXPECT_EQ(Fields(&page).at("chargeValue"), QStringLiteral("---"));
    EXPECT_EQ(SeriesNames(&page), (QStringList{"bars", "今日"}));

    h.charge.Plan().freeCall1 = 1000;
    h.charge.DerivePlan();
    page.SetProjection([](const std::string& period) {
        return period == "2008/04/21 - 2008/05/20" ? Heading(20000000, ProjectionWarning::None) : PeriodProjection{};
    });
    EXPECT_EQ(page.Usage().projectedCharge, 20000000);
    EXPECT_TRUE(SeriesNames(&page).contains(QStringLiteral("予測")));
}

TEST(HistoryTotals, TheCurrentPeriodSaysWhereItsChargeIsHeading) {
    History h;
    CCfgHistoryTotalMonthPage page(h.charge);
    EXPECT_TRUE(page.ProjectionLine()->isHidden());  // no projection given
    page.SetProjection([](const std::string& period) {
        return period == "2008/04/21 - 2008/05/20" ? Heading(4980, ProjectionWarning::Cap) : PeriodProjection{};
    });
    EXPECT_FALSE(page.ProjectionLine()->isHidden());
    EXPECT_EQ(page.ProjectionLine()->text(), QStringLiteral("この期間の予想金額: 約 4,980 円 (あと 10 日)"));
    EXPECT_TRUE(page.ProjectionLine()->font().bold());
    EXPECT_EQ(page.ProjectionLine()->accessibleDescription(), QStringLiteral("heading past the cap"));
    EXPECT_FALSE(page.ProjectionWarningLine()->isHidden());
    EXPECT_EQ(page.ProjectionWarningLine()->text(), QStringLiteral("heading past the cap"));

    page.Periods()->setCurrentRow(1);  // a past period: nowhere to head
    EXPECT_TRUE(page.ProjectionLine()->isHidden());
    EXPECT_TRUE(page.ProjectionWarningLine()->isHidden());
    EXPECT_FALSE(page.Usage().projectedCharge.has_value());

    page.Periods()->setCurrentRow(0);
    EXPECT_FALSE(page.ProjectionLine()->isHidden());
}

TEST(HistoryTotals, ScreenReadersReadEveryValueNotOnlyItsName) {
    History h;
    CCfgHistoryTotalSheet sheet(h.charge);
    sheet.MonthPage()->SetProjection([](const std::string&) { return Heading(1234, ProjectionWarning::None); });
    std::vector<QLineEdit*> fields{sheet.MonthPage()->ProjectionLine()};
    for (const char* name : {"durationValue", "sentValue", "recvValue", "chargeValue", "freeLeftValue", "limitLeftValue"}) {
        fields.push_back(sheet.MonthPage()->findChild<QLineEdit*>(QString::fromLatin1(name)));
    }
    fields.push_back(sheet.EntryPage()->findChild<QLineEdit*>(QStringLiteral("durationValue")));
    for (QLineEdit* field : fields) {
        ASSERT_NE(field, nullptr);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << field->objectName().toStdString();
        QAccessibleTextInterface* text = accessible->textInterface();
        ASSERT_NE(text, nullptr) << field->objectName().toStdString();
        EXPECT_EQ(text->text(0, text->characterCount()), field->text()) << field->objectName().toStdString();
        EXPECT_FALSE(field->text().isEmpty()) << field->objectName().toStdString();
    }
}

// The current period's days at which the notice, the cap or the user's limit would be
// reached at its pace, as bands on the chart named in its legend and read as its
// description; none for what the plan lacks, what is reached already or lies past the end.
TEST(HistoryTotals, TheChartMarksTheDaysAnAmountWouldBeReached) {
    // 19,500,000 bytes by 2008/05/10 12:00, 19.5 days into the period: 1,000,000 a day on
    // the mean, and 2,000,000 a day over the last 6.5 days (13,000,000).
    const std::vector<HistoryRow> rows = {Row("a", "2008/04/25 10:00:00", 60, 6500000, 0, 0),
                                          Row("a", "2008/05/05 10:00:00", 60, 6500000, 0, 0),
                                          Row("a", "2008/05/09 10:00:00", 60, 0, 6500000, 0)};
    const struct Case {
        const char* name;
        int32_t cap;         // yen; 1 yen a 128-byte packet
        int64_t limitBytes;  // the user's limit; 0 off
        const char* legend;  // empty: no band
        int first, last;     // the band's days, 0 = 4/21
    } cases[] = {
        {"the limit: 5/13 at the week's pace, 5/15 at the mean", 0, 24500000, "利用上限の到達予想 5/13～5/15", 22, 24},
        {"the cap, 24,320,000 bytes", 190000, 0, "パケット定額料の到達予想 5/12～5/15", 21, 24},
        {"no amount", 0, 0, "", 0, 0},
        {"reached already", 0, 10000000, "", 0, 0},
        {"past the period's end", 0, 119500000, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        History h(rows);
        h.charge.Plan() = test::MakePlan({.type = c.cap > 0 ? kChargeMeteredCap : kChargeMetered, .cap = c.cap});
        h.charge.DerivePlan();
        h.charge.RecomputePeriod();
        CCfgHistoryTotalMonthPage page(h.charge);
        page.SetPace([&](const std::string& period) {
            return period == h.charge.Period().period ? PaceCurrentPeriod(h.charge, false, c.limitBytes) : PeriodPace{};
        });
        auto* chart = page.findChild<UsageChartView*>();
        std::vector<QAreaSeries*> bands;
        for (QAbstractSeries* series : chart->chart()->series()) {
            if (auto* band = qobject_cast<QAreaSeries*>(series)) bands.push_back(band);
        }
        if (*c.legend == '\0') {
            EXPECT_TRUE(bands.empty());
            EXPECT_EQ(test::SpokenOf(chart).description, "");
            EXPECT_TRUE(page.ReachLine()->isHidden());
            continue;
        }
        ASSERT_EQ(bands.size(), 1u);
        EXPECT_EQ(bands[0]->name().toStdString(), c.legend);
        const QList<QPointF> edge = bands[0]->upperSeries()->points();
        ASSERT_EQ(edge.size(), 2);
        EXPECT_EQ(std::lround(edge[0].x() + 0.45), c.first);
        EXPECT_EQ(std::lround(edge[1].x() - 0.45), c.last);
        const std::string said = test::SpokenOf(chart).description;
        EXPECT_EQ(said.rfind("このままのペースでは、", 0), 0u) << said;
        EXPECT_NE(said.find(std::string(c.legend).substr(std::string(c.legend).rfind(' ') + 1) + " 頃に到達"),
                  std::string::npos)
            << said;
        EXPECT_FALSE(page.ReachLine()->isHidden());
        EXPECT_EQ(test::SpokenOf(page.ReachLine()).name, said) << "the line under the chart says it too";
        page.resize(760, 560);
        test::ExpectDrawn(page, QStringLiteral("TotalsChart%1").arg(c.first));
    }
}

TEST(HistoryTotals, EntriesWithTheirTotals) {
    History h;
    CCfgHistoryTotalEntryPage page(h.charge.History());
    QListWidget* entries = page.Entries();
    QStringList names;
    for (int i = 0; i < entries->count(); ++i) names << entries->item(i)->text();
    names.sort();
    EXPECT_EQ(names, (QStringList{"A.example", "a.example", "b.example"}));
    for (int i = 0; i < entries->count(); ++i) {
        if (entries->item(i)->text() != QStringLiteral("b.example")) continue;
        entries->setCurrentRow(i);
        EXPECT_EQ(Fields(&page), (std::map<std::string, QString>{
                                     {"durationValue", "1分00秒"}, {"sentValue", "13,345 Bytes"}, {"recvValue", "5,000 Bytes"}}));
    }
}

TEST(UsageChart, ATimeAxisLabelsAtMostEightDays) {
    struct Case {
        int days, step;
    } const cases[] = {{0, 1}, {1, 1}, {8, 1}, {9, 2}, {31, 4}, {460, 58}};
    for (const Case& c : cases) EXPECT_EQ(LabelStep(c.days, 8), c.step) << c.days;
}

TEST(HistoryTotals, AnEmptyHistoryLeavesEverythingEmpty) {
    TempDir dir;
    ChargeAccounting charge;
    ASSERT_EQ(charge.History().OpenHistory(dir.File("h.db"), std::nullopt), kDbOk);
    CCfgHistoryTotalSheet sheet(charge);
    EXPECT_EQ(sheet.MonthPage()->Periods()->count(), 0);
    EXPECT_EQ(sheet.EntryPage()->Entries()->count(), 0);
    EXPECT_EQ(Fields(sheet.MonthPage()).at("durationValue"), QString());
    EXPECT_TRUE(sheet.MonthPage()->findChild<UsageChartView*>()->chart()->series().isEmpty());
    ModalScript script(sheet);
    script.Then([&] { sheet.findChild<QPushButton*>(QStringLiteral("okButton"))->click(); });
    sheet.Run();
    EXPECT_EQ(script.StepsLeft(), 0);
}

}  // namespace

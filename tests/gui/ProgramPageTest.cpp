// The totals sheet's 「プログラム別」 page, offscreen, read as a screen reader reads it.
#include "accounting/ChargeAccounting.h"
#include "accounting/ProgramImport.h"
#include "gui/CCfgHistoryTotalProgramPage.h"
#include "gui/CCfgHistoryTotalSheet.h"
#include "mainwnd/ProgramViewRules.h"
#include "support/TempDir.h"
#include "Spoken.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace vr31k;

namespace {

// The table's cells, row by row, as the accessibility tree gives them.
std::vector<std::vector<std::string>> Read(QTableWidget* table) {
    // Asked anew, as a screen reader told of the model's reset asks (offscreen, nobody tells).
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(table)));
    QAccessibleTableInterface* cells = QAccessible::queryAccessibleInterface(table)->tableInterface();
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(cells->rowCount()));
    for (int r = 0; r < cells->rowCount(); ++r) {
        for (int c = 0; c < cells->columnCount(); ++c) {
            rows[static_cast<size_t>(r)].push_back(cells->cellAt(r, c)->text(QAccessible::Name).toStdString());
        }
    }
    return rows;
}

TEST(ProgramPage, AperiodsProgramsReadInAnyOrderWithWhatHasNoFigures) {
    test::TempDir dir;
    ChargeAccounting charge;
    charge.Plan().chargeType = kChargeMetered;
    charge.Plan().packetCharge2 = 1;
    charge.Plan().packetSize = 128;
    charge.Plan().chargeDay = 32;
    charge.DerivePlan();
    ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), std::nullopt), kDbOk);
    HistoryRow row;
    std::string problem;
    for (const char* end : {"2008/05/20 11:00:00", "2008/05/21 11:00:00"}) {
        ASSERT_EQ(charge.RecordEndedConnection("e", *ParseOleDateTime(end), 60, 280, 1000, problem, &row), kDbOk);
    }
    UsageRecord link;
    link.boot = "b";
    link.interfaceIndex = 7;
    NoteLink(charge.History(), row, link, charge.LastConnectionCharge());
    FoundLink found;
    ASSERT_EQ(charge.History().FindConnectionLink("b", 7, "", 0, 0, found), kDbOk);
    ASSERT_EQ(charge.History().StoreConnectionPrograms(
                  found.id, {{{ProgramKind::Unit, "apt.service", "apt.service", 900, 100, 0, 0}, {}},
                             {{ProgramKind::App, "f.desktop", "firefox\n\x1b[2J", 10, 270, 64, 0}, {}}}),
              kDbOk);

    CCfgHistoryTotalSheet sheet(charge);
    EXPECT_EQ(sheet.Pages()->tabText(2), QStringLiteral("プログラム別"));
    CCfgHistoryTotalProgramPage* page = sheet.ProgramPage();
    EXPECT_EQ(test::SpokenOf(page->Programs()).name, "プログラム別の通信量");
    const std::vector<std::vector<std::string>> byBytes = {
        {"apt.service", "サービス", "900 Bytes", "100 Bytes", "0 Bytes", "\u00A5 8"},
        {"firefox\\x0A\\x1B[2J", "アプリケーション", "10 Bytes", "270 Bytes", "64 Bytes", "\u00A5 2"}};
    EXPECT_EQ(Read(page->Programs()), byBytes);
    QHeaderView* header = page->Programs()->horizontalHeader();
    header->setSortIndicator(kProgColSent, Qt::AscendingOrder);  // as a click on the heading
    EXPECT_EQ(Read(page->Programs()), (std::vector{byBytes[1], byBytes[0]}));
    header->setSortIndicator(kProgColName, Qt::AscendingOrder);
    EXPECT_EQ(Read(page->Programs()), byBytes);
    EXPECT_EQ(test::SpokenOf(page->MissingLine()).name,
              "この期間の 1 件の接続 (1,280 Bytes) には、プログラム別の記録がありません。");
}

}  // namespace

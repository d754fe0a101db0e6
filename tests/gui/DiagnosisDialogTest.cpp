// The connection diagnosis against a constructed system, and the boxes that offer it:
// every check is a row a screen reader reads cell by cell, the copy button puts the
// plain report on the clipboard, and a box's diagnosis button opens it.
#include "Widgets.h"
#include "WaitFor.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "dialup/DialFailureCause.h"
#include "gui/CHelpDiagnosisDlg.h"
#include "support/FakeDoctorSystem.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "ModalScript.h"

namespace vr31k {
namespace {

using namespace ids;

TEST(DiagnosisDialog, EveryCheckIsReadAloudAndTheReportIsCopied) {
    test::FakeDoctorSystem system;
    system.Process(4321, "minicom", 0, system.port);
    system.in.peerFileText = "a newer peer file\n";
    // What the dialog's own run found (free space, for one, moves between two runs).
    std::vector<CheckResult> expected;
    bool tested = false;  // the last run had the connection test
    CHelpDiagnosisDlg dialog(
        [&](bool connectionTest) {
            tested = connectionTest;
            return expected = RunDoctor(system.in);
        },
        true);
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("checkList"));
    auto* copy = dialog.findChild<QPushButton*>(QStringLiteral("copyButton"));
    auto* summary = dialog.findChild<QLabel*>(QStringLiteral("summaryLabel"));
    ASSERT_TRUE(list && copy && summary);
    EXPECT_FALSE(copy->isEnabled()) << "nothing to copy before the checks end";
    dialog.show();  // a tree lays its rows out for assistive tools once shown
    bool shown = false;
    QObject::connect(&dialog, &CHelpDiagnosisDlg::ChecksShown, [&] { shown = true; });
    ASSERT_TRUE(test::WaitFor([&] { return shown; }, 30000));

    // Row by row through the accessibility tree: the check, its result in words, its
    // sentence and its fix.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(accessible && accessible->tableInterface());
    QAccessibleTableInterface* table = accessible->tableInterface();
    ASSERT_EQ(table->rowCount(), static_cast<int>(expected.size()));
    int failed = 0, warnings = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const CheckResult& r = expected[static_cast<size_t>(row)];
        failed += r.status == CheckStatus::Failed ? 1 : 0;
        warnings += r.status == CheckStatus::Warning ? 1 : 0;
        const std::string wanted[] = {CheckName(r.id), CHelpDiagnosisDlg::StatusText(r.status).toStdString(), r.message,
                                      r.fix};
        for (int column = 0; column < 4; ++column) {
            QAccessibleInterface* cell = table->cellAt(row, column);
            ASSERT_NE(cell, nullptr) << row << "," << column;
            EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), wanted[column]) << r.id;
        }
    }
    const auto spokenRow = [&](const char* id) {
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->cellAt(row, 0)->text(QAccessible::Name).toStdString() == CheckName(id)) {
                return table->cellAt(row, 1)->text(QAccessible::Name).toStdString() + " " +
                       table->cellAt(row, 2)->text(QAccessible::Name).toStdString();
            }
        }
        return std::string("(no row)");
    };
    EXPECT_EQ(spokenRow("tty-holders").rfind("失敗 " + system.port + " を minicom (pid 4321", 0), 0u);
    EXPECT_EQ(spokenRow("pppd-peer").rfind("注意 ", 0), 0u);
    EXPECT_EQ(spokenRow("tty-access").rfind("正常 ", 0), 0u);
    EXPECT_EQ(test::SpokenOf(summary).name,
              "失敗 " + std::to_string(failed) + " 件、注意 " + std::to_string(warnings) + " 件");
    EXPECT_GT(failed, 0);

    QApplication::clipboard()->clear();
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), DoctorText(expected));

    test::ExpectDrawn(dialog, QStringLiteral("CHelpDiagnosisDlg"));

    // While the link is up the connection test is offered, says what it sends, and runs
    // only when pressed.
    auto* testButton = dialog.findChild<QPushButton*>(QStringLiteral("testButton"));
    ASSERT_NE(testButton, nullptr);
    EXPECT_EQ(test::SpokenOf(testButton).name, "接続テスト");
    EXPECT_NE(test::SpokenOf(testButton).description.find("100 バイト"), std::string::npos);
    EXPECT_FALSE(tested);
    shown = false;
    testButton->click();
    ASSERT_TRUE(test::WaitFor([&] { return shown; }, 30000));
    EXPECT_TRUE(tested);
}

// The box names the cause beneath the table's text, and its diagnosis button (only where
// the box offers it and the program has a diagnosis to open) opens it and answers as
// closing the box does.
TEST(DiagnosisBox, TheCauseIsReadBeneathTheTextAndTheButtonOpensTheDiagnosis) {
    const struct {
        bool offers, opener, click;
        int opened;
    } cases[] = {{true, true, true, 1}, {true, false, false, 0}, {false, true, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.offers << c.opener);
        int opened = 0;
        QtMessageBox::SetDiagnosisOpener(c.opener ? std::function<void()>([&] { ++opened; }) : nullptr);
        // A refused dial's box as the window shows it, with pppd's words and the card's beside the cause.
        MessageBoxRequest request =
            MakeMessage(IDS_DIAL_FAILED_CAPTION, IDS_DIAL_FAILED_TEXT, MessageIcon::Exclamation, {"651"});
        request.cause = FormatString(
            IDS_PORT_CAUSE_LINE,
            {DialFailureCause(651, "the card refused the dial (ERROR) (the card said: +CME ERROR: SIM PIN required)")});
        request.offersDiagnosis = c.offers;
        test::OnNextModal([&](QDialog& box) {
            auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            const test::Spoken spoken = test::SpokenOf(label);
            EXPECT_EQ(spoken.name + spoken.value, request.text + "\n\n" + request.cause);
            auto* button = box.findChild<QPushButton*>(QStringLiteral("diagnosisButton"));
            EXPECT_EQ(button != nullptr, c.offers && c.opener);
            if (button != nullptr) {
                EXPECT_EQ(test::SpokenOf(button).name, "接続の診断");
            }
            if (c.offers && c.opener) test::ExpectDrawn(box, QStringLiteral("DialFailedBox"));
            if (c.click && button != nullptr) {
                button->click();
            } else {
                box.done(0);
            }
        });
        EXPECT_EQ(QtMessageBox().Show(request), MessageResult::Ok);
        EXPECT_EQ(opened, c.opened);
    }
    QtMessageBox::SetDiagnosisOpener(nullptr);
}

}  // namespace
}  // namespace vr31k

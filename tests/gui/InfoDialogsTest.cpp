// The read-only dialogs, and what every dialog offers screen readers.
#include "ModalScript.h"
#include "Widgets.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/CAboutDlg.h"
#include "gui/CAuthPinDlg.h"
#include "gui/CAuthPukDlg.h"
#include "gui/CCfgDialupEntryModifyDlg.h"
#include "gui/CCfgDialupEntryPage.h"
#include "gui/CCfgDialupSheet.h"
#include "gui/CCfgDialupStatusDlg.h"
#include "gui/CCfgPinAuthDlg.h"
#include "gui/CCfgPinChangeDlg.h"
#include "gui/CCfgUtilityDlg.h"
#include "gui/CDialupConnectingDlg.h"
#include "gui/CDialupDisconnectingDlg.h"
#include "gui/CDialupResultDlg.h"
#include "gui/CHelpCardInfoDlg.h"
#include "gui/CHelpDiagnosisDlg.h"
#include "gui/CSyncApnDlg.h"
#include "gui/CSyncApnListDlg.h"
#include "support/EntryFakes.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::ModalScript;

namespace {

const std::string kPrefix(LoadString(IDS_ABOUT_VERSION_PREFIX));

TEST(AboutDialog, VersionHasTwoMinorDigits) {
    const struct {
        int major, minor;
        const char* shown;
    } cases[] = {{1, 0, "1.00"}, {1, 5, "1.05"}, {2, 15, "2.15"}};
    for (const auto& c : cases) EXPECT_EQ(CAboutDlg::VersionText(c.major, c.minor).toStdString(), kPrefix + c.shown);

    CAboutDlg dialog;
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
              CAboutDlg::VersionText(VR31K_VERSION_MAJOR, VR31K_VERSION_MINOR));
}

TEST(CardInfoDialog, ShowsBothValuesReadOnly) {
    CHelpCardInfoDlg dialog("...", "1.2.3");
    const auto* phone = dialog.findChild<QLineEdit*>(QStringLiteral("phoneValue"));
    const auto* version = dialog.findChild<QLineEdit*>(QStringLiteral("versionValue"));
    ASSERT_TRUE(phone && version);
    EXPECT_EQ(phone->text().toStdString(), "...");
    EXPECT_EQ(version->text().toStdString(), "1.2.3");
    EXPECT_TRUE(phone->isReadOnly() && version->isReadOnly());
}

// The dial-up dialogs' entries: the factory entry and two of the user's, and the card's
// view of them out of step (one renamed, one more).
struct EntryData {
    EntryData() {
        book.Put(0, kFactoryApn, kFactoryUser, kFactoryPassword);
        book.Put(1, "internet.example.jp", "user01", "secret");
        book.Put(4, "corp-vpn.example.co.jp", "taro", "secret");
        book.ListEntries(list);
        for (int k = 0; k < kEntryCount; ++k) {
            if (!list[k].empty()) card.contexts[k] = list[k];
        }
        cardView = list;
        cardView[1] = "INTERNET.example.jp";
        cardView[3] = "other.example.net";
    }
    test::FakeEntryBook book;
    test::FakeCard card;
    test::ScriptedUi ui;
    EntryList list;
    EntryList cardView;
    EntryChanges checks{book, card, ui};
    QPointer<QWidget> page;  // the sheet's page: the sheet lets it go when it has run
    ~EntryData() { delete page.data(); }
};

// Every dialog, built as the program builds it, with a name for its screenshot.
struct Built {
    const char* file;
    std::unique_ptr<QDialog> dialog;
    std::function<void()> run;  // runs it modally (the SIM dialogs fill their count then)
    std::function<void()> prepare;  // inside its loop, before it is looked at
};

std::vector<Built> AllDialogs(UtilitySettings& settings, IMessageBox& boxes, EntryData& e) {
    std::vector<Built> all;
    const auto add = [&all](const char* file, auto dialog, auto run, std::function<void()> prepare = nullptr) {
        auto* shown = dialog.get();
        all.push_back({file, std::move(dialog), [shown, run] { run(*shown); }, std::move(prepare)});
    };
    const auto exec = [](QDialog& d) { d.exec(); };
    const auto runs = [](auto& d) { d.Run(); };
    add("CAuthPinDlg", std::make_unique<CAuthPinDlg>(boxes), [](CAuthPinDlg& d) { d.Ask(3); });
    add("CAuthPukDlg", std::make_unique<CAuthPukDlg>(boxes), [](CAuthPukDlg& d) { d.Ask(10); });
    add("CCfgPinAuthDlg", std::make_unique<CCfgPinAuthDlg>(), [](CCfgPinAuthDlg& d) { d.Choose(true); });
    add("CCfgPinChangeDlg", std::make_unique<CCfgPinChangeDlg>(boxes), [](CCfgPinChangeDlg& d) { d.Ask(3); });
    add("CCfgUtilityDlg", std::make_unique<CCfgUtilityDlg>(settings, boxes), exec);
    add("CHelpCardInfoDlg", std::make_unique<CHelpCardInfoDlg>("09012345678", "1.23.4567"), exec);
    add("CAboutDlg", std::make_unique<CAboutDlg>(), exec);
    add("CHelpDiagnosisDlg", std::make_unique<CHelpDiagnosisDlg>([](bool) {
            return std::vector<CheckResult>{{"tty-holders", CheckStatus::Failed, "held", "kill 1"}};
        }), exec);
    const ConnectionFiguresText figures{"01:02:05",  "1,234,567 Bytes", "1,073,741,824 Bytes",
                                        "\u00A5 1,234", "0 Bytes",         "1,048,576 kBytes",
                                        {"この期間の予想金額: 約 5,738 円 (あと 24 日)", true, false, ""}};
    add("CDialupConnectingDlg", std::make_unique<CDialupConnectingDlg>(), runs);
    add("CDialupDisconnectingDlg", std::make_unique<CDialupDisconnectingDlg>(), runs);
    add("CDialupResultDlg", std::make_unique<CDialupResultDlg>(figures), exec);
    add("CCfgDialupStatusDlg", std::make_unique<CCfgDialupStatusDlg>(),
        [figures](CCfgDialupStatusDlg& d) { d.Run(figures); });
    auto sheet = std::make_unique<CCfgDialupSheet>();
    auto* page = new CCfgDialupEntryPage(e.list, e.book, e.card, e.ui, 1);
    e.page = page;
    sheet->AddPage(page);
    add("CCfgDialupSheet", std::move(sheet), runs,
        [page] { page->findChild<QTableWidget*>()->setCurrentCell(1, 1); });
    add("CCfgDialupEntryModifyDlg", std::make_unique<CCfgDialupEntryModifyDlg>(e.list, 2, e.book, e.checks, std::nullopt),
        runs);
    add("CSyncApnDlg", std::make_unique<CSyncApnDlg>(e.cardView, e.book, e.card, e.ui), runs);
    // Red, black and grey rows: entry #1 reset, one row still to do, one deleted.
    auto list = std::make_unique<CSyncApnListDlg>(e.cardView, e.book, e.card, e.ui);
    QDialog* rows = list.get();
    add("CSyncApnListDlg", std::move(list), runs, [rows] {
        auto* table = rows->findChild<QTableWidget*>();
        for (int row : {0, 3}) {
            table->setCurrentCell(row, 1);
            test::Click(*rows, "deleteButton");
        }
        table->setCurrentCell(1, 1);
    });
    return all;
}

// Each dialog on screen: every control has an object name and an accessible name, a
// screen reader reads what a sighted user reads, and the dialog draws. With
// VR31K_SCREENSHOT_DIR set, the pictures are saved there.
TEST(AllDialogs, EveryControlIsNamedForScreenReaders) {
    UtilitySettings settings;
    test::ScriptedUi boxes;
    EntryData entries;
    // The program sets its own icon; here any icon shows where it goes.
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    }
    for (Built& built : AllDialogs(settings, boxes, entries)) {
        QDialog& dialog = *built.dialog;
        EXPECT_FALSE(dialog.accessibleName().isEmpty()) << built.file;
        ModalScript script(dialog);
        script.Then([&] {
            if (built.prepare) built.prepare();
            test::ExpectNamedAndDrawn(dialog, QString::fromLatin1(built.file));
            dialog.done(QDialog::Rejected);  // not reject(): the disconnecting dialog refuses it
        });
        built.run();
        EXPECT_EQ(script.StepsLeft(), 0) << built.file;
    }
}

}  // namespace

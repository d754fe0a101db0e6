// The synchronisation dialog and its change list over in-memory card and phonebook:
// giving up is asked, each way ends the dialog as it should, the list's colours and OK
// follow the rows, and the reset row 0 cannot be changed.
#include "ModalScript.h"
#include "Widgets.h"
#include "common/StringIds.h"
#include "support/EntryFakes.h"
#include "gui/CSyncApnDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::ids;
using namespace vr31k::test;

namespace {

EntryList List(std::initializer_list<const char*> names) {
    EntryList list;
    int k = 0;
    for (const char* n : names) list[k++] = n;
    return list;
}

// The program holds A and Y, the card X, Y and Z.
struct Differing {
    Differing() {
        book.Put(0, "A", "ua", "pa");
        book.Put(1, "Y", "uy", "py");
        book.entryIndex = 1;
        for (int k = 0; k < 3; ++k) card.contexts[k] = std::string(1, "XYZ"[k]);
        view = card.View();
    }
    FakeEntryBook book;
    FakeCard card;
    ScriptedUi ui;
    EntryList view;
    CSyncApnDlg dialog{view, book, card, ui};
    ModalScript script{dialog};
};

TEST(SyncDialog, GivingUpIsAskedFirst) {
    Differing d;
    d.ui.answers = {false};
    d.script.Then([&] {
        Click(d.dialog, "cancelButton");
        EXPECT_TRUE(d.dialog.isVisible()) << "No keeps it open";
        Click(d.dialog, "cancelButton");
    });
    EXPECT_EQ(d.dialog.Run(), SyncDialogEnd::Cancel);
    ASSERT_EQ(d.ui.asked.size(), 2u);
    EXPECT_EQ(d.ui.asked[1].caption, IDS_SYNC_ABANDON_CAPTION);
    EXPECT_EQ(d.ui.asked[1].text, IDS_SYNC_ABANDON_TEXT);
    EXPECT_EQ(d.card.View(), d.view);
}

TEST(SyncDialog, ResetAndProgramToCardAskThenClose) {
    struct Case {
        const char* radio;
        int question;
        EntryList card;
        int entryIndex;
    } cases[] = {
        {"resetRadio", IDS_SYNC_RESET_CAPTION, List({kFactoryApn}), 0},
        {"toCardRadio", IDS_SYNC_TO_CARD_CAPTION, List({"A", "Y"}), 1},
    };
    for (const Case& c : cases) {
        Differing d;
        d.ui.answers = {false};
        d.script.Then([&] {
            EXPECT_TRUE(Child<QRadioButton>(d.dialog, "resetRadio")->isChecked()) << "the first way is chosen";
            Click(d.dialog, c.radio);
            Click(d.dialog, "okButton");
            EXPECT_TRUE(d.dialog.isVisible()) << c.radio << ": No keeps it open";
            Click(d.dialog, "okButton");
        });
        EXPECT_EQ(d.dialog.Run(), SyncDialogEnd::Ok);
        EXPECT_EQ(d.ui.asked.at(0).caption, c.question);
        EXPECT_EQ(d.card.View(), c.card) << c.radio;
        EXPECT_EQ(d.view, c.card) << c.radio;
        EXPECT_EQ(d.book.entryIndex, c.entryIndex) << c.radio;
    }
}

enum Colour { Red, Black, Grey };
Colour ColourOf(QTableWidget* table, int row) {
    const QColor c = table->item(row, 1)->foreground().color();
    if (c == QColor(0xFF, 0, 0)) return Red;
    if (c == QColor(0xC0, 0xC0, 0xC0)) return Grey;
    EXPECT_EQ(c, QColor(0, 0, 0)) << row;
    return Black;
}

// The rows as the list shows them: one colour per row, and whether OK is enabled.
void ExpectRows(QDialog& list, std::initializer_list<Colour> firstThree, bool ok) {
    auto* table = Child<QTableWidget>(list, "apnList");
    std::vector<Colour> expected(firstThree);
    expected.resize(kEntryCount, Grey);
    for (int row = 0; row < kEntryCount; ++row) EXPECT_EQ(ColourOf(table, row), expected[row]) << "row " << row;
    EXPECT_EQ(Child(list, "okButton")->isEnabled(), ok);
}

TEST(SyncApnList, ColoursAndOkFollowTheRowsAndTheProgramTakesTheCardsEntries) {
    Differing d;
    d.script.Then([&] {
        Click(d.dialog, "fromCardRadio");
        OnNextModal([&](QDialog& list) {
            auto* table = Child<QTableWidget>(list, "apnList");
            ExpectRows(list, {Red, Red, Red}, false);

            // Y: the program's entry of that name offers its credentials.
            table->setCurrentCell(1, 1);
            OnNextModal([](QDialog& edit) {
                EXPECT_TRUE(Child<QLineEdit>(edit, "nameEdit")->isReadOnly());
                EXPECT_EQ(Child<QLineEdit>(edit, "nameEdit")->text(), QStringLiteral("Y"));
                EXPECT_EQ(Child<QLineEdit>(edit, "userEdit")->text(), QStringLiteral("uy"));
                EXPECT_EQ(edit.focusWidget(), Child<QLineEdit>(edit, "userEdit"));
                Child<QLineEdit>(edit, "passwordEdit")->setText(QStringLiteral("new"));
                Click(edit, "okButton");
            });
            Click(list, "changeButton");
            ExpectRows(list, {Red, Black, Red}, false);

            table->setCurrentCell(2, 1);
            Click(list, "deleteButton");
            ExpectRows(list, {Red, Black, Grey}, false);
            EXPECT_FALSE(Child(list, "changeButton")->isEnabled());
            EXPECT_FALSE(Child(list, "deleteButton")->isEnabled());

            // Row 0 reset to the factory entry: resolved, and no longer the card's
            // entry to change.
            table->setCurrentCell(0, 1);
            EXPECT_TRUE(Child(list, "changeButton")->isEnabled());
            Click(list, "deleteButton");
            ExpectRows(list, {Black, Black, Grey}, true);
            EXPECT_EQ(table->item(0, 1)->text().toStdString(), kFactoryApn);
            EXPECT_FALSE(Child(list, "changeButton")->isEnabled());
            EXPECT_TRUE(Child(list, "deleteButton")->isEnabled());
            Click(list, "okButton");
        });
        Click(d.dialog, "okButton");
    });
    EXPECT_EQ(d.dialog.Run(), SyncDialogEnd::Ok);
    EXPECT_EQ(d.card.View(), List({kFactoryApn, "Y"}));
    EXPECT_EQ(d.view, List({kFactoryApn, "Y"}));
    EntryList program;
    d.book.ListEntries(program);
    EXPECT_EQ(program, List({kFactoryApn, "Y"}));
    EXPECT_EQ(d.book.table[1].password, "new");
    EXPECT_EQ(d.book.table[0].user, kFactoryUser);
    EXPECT_EQ(d.book.entryIndex, 0);
}

TEST(SyncApnList, CancelReturnsToTheThreeWays) {
    Differing d;
    d.script.Then([&] {
        Click(d.dialog, "fromCardRadio");
        OnNextModal([](QDialog& list) { Click(list, "cancelButton"); });
        Click(d.dialog, "okButton");
        EXPECT_TRUE(d.dialog.isVisible());
        d.dialog.reject();
    });
    EXPECT_EQ(d.dialog.Run(), SyncDialogEnd::Cancel);
    EXPECT_EQ(d.card.View(), d.view);
    EXPECT_TRUE(d.book.log.empty());
}

}  // namespace

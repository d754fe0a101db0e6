// The dial-up settings sheet, its entry page and the entry edit dialog over in-memory
// card and phonebook: what each button changes where, the refusals and where the focus
// goes, and the sheet's tab veto and Cancel turning into Close.
#include "ModalScript.h"
#include "Widgets.h"
#include "common/StringIds.h"
#include "support/EntryFakes.h"
#include "gui/CCfgDialupEntryModifyDlg.h"
#include "gui/CCfgDialupEntryPage.h"
#include "gui/CCfgDialupSheet.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::ids;
using namespace vr31k::test;

namespace {

// Entries 1 and 3 on both sides.
struct Entries {
    Entries() {
        book.Put(0, "alpha.example", "ua", "pa");
        book.Put(2, "gamma", "ug", "pg");
        card.contexts[0] = "alpha.example";
        card.contexts[2] = "gamma";
        book.ListEntries(list);
    }
    FakeEntryBook book;
    FakeCard card;
    ScriptedUi ui;
    EntryList list;
};

struct Page : Entries {
    explicit Page(int entryIndex = 0) : page(list, book, card, ui, entryIndex) {
        QObject::connect(&page, &CCfgDialupEntryPage::Committed, [this] { ++commits; });
        page.show();  // clicks and keys reach the list
    }
    QTableWidget* Table() { return Child<QTableWidget>(page, "entryList"); }
    QComboBox* Current() { return Child<QComboBox>(page, "currentCombo"); }
    void Choose(int row) { Table()->setCurrentCell(row, 1); }
    // Opens the edit dialog on `row` and runs `step` in it.
    void Edit(int row, std::function<void(QDialog&)> step) {
        Choose(row);
        OnNextModal(std::move(step));
        Click(page, "editButton");
    }
    CCfgDialupEntryPage page;
    int commits = 0;
};

QLineEdit* Field(QDialog& dialog, const char* name) { return Child<QLineEdit>(dialog, name); }

TEST(EntryPage, ShowsTheTenPositionsAndTheEntryToDial) {
    struct Case {
        int entryIndex;
        const char* shown;  // in the combo box
    } cases[] = {{0, "alpha.example"}, {2, "gamma"}, {1, "alpha.example"} /* an empty position */};
    for (const Case& c : cases) {
        Page p(c.entryIndex);
        EXPECT_EQ(p.Table()->item(2, 0)->text(), QStringLiteral("3"));
        EXPECT_EQ(p.Table()->item(2, 1)->text(), QStringLiteral("gamma"));
        EXPECT_EQ(p.Current()->count(), 2) << "the named entries only";
        EXPECT_EQ(p.Current()->currentText().toStdString(), c.shown) << c.entryIndex;
        p.page.Apply();
        EXPECT_EQ(p.book.entryIndex, c.entryIndex == 1 ? 0 : c.entryIndex);
    }
}

TEST(EntryPage, TheChosenRowSetsTheButtons) {
    Page p;
    EXPECT_FALSE(Child<QPushButton>(p.page, "deleteButton")->isEnabled()) << "no row chosen yet";
    struct Step {
        std::function<void()> act;
        int row;
        bool canDelete;
        int editText;
    };
    QTableWidget* table = p.Table();
    const auto key = [table](Qt::Key k) { return [table, k] { QTest::keyClick(table, k); }; };
    const auto click = [table](int row, Qt::MouseButton button) {
        return [table, row, button] {
            const QRect cell = table->visualRect(table->model()->index(row, 1));
            QTest::mouseClick(table->viewport(), button, {}, cell.center());
        };
    };
    const Step steps[] = {
        {click(2, Qt::LeftButton), 2, true, IDS_DLG_ENTRY_EDIT},
        {key(Qt::Key_Down), 3, false, IDS_DLG_ENTRY_ADD},
        {click(0, Qt::RightButton), 0, true, IDS_DLG_ENTRY_EDIT},
        {key(Qt::Key_Up), 0, true, IDS_DLG_ENTRY_EDIT},  // not above the first row
        {click(9, Qt::LeftButton), 9, false, IDS_DLG_ENTRY_ADD},
        {key(Qt::Key_Down), 9, false, IDS_DLG_ENTRY_ADD},  // nor below the last
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(table->currentRow(), s.row);
        EXPECT_EQ(Child<QPushButton>(p.page, "deleteButton")->isEnabled(), s.canDelete) << s.row;
        EXPECT_EQ(Child<QPushButton>(p.page, "editButton")->text(), Text(s.editText)) << s.row;
    }
}

TEST(EntryPage, DeletingEntryOneBringsTheFactoryEntryBack) {
    Page p;
    p.Choose(0);
    Click(p.page, "deleteButton");
    ASSERT_EQ(p.ui.asked.size(), 1u);
    EXPECT_EQ(p.ui.asked[0].caption, IDS_ENTRY1_DELETE_CAPTION);
    EXPECT_EQ(p.list[0], kFactoryApn);
    EXPECT_EQ(p.card.contexts[0], kFactoryApn);
    EXPECT_EQ(p.Table()->item(0, 1)->text().toStdString(), kFactoryApn);
    EXPECT_EQ(p.Current()->findText(QStringLiteral("alpha.example")), -1);
    EXPECT_EQ(p.commits, 1);

    p.ui.answers = {false};  // another entry, not confirmed: nothing happens
    p.Choose(2);
    Click(p.page, "deleteButton");
    EXPECT_EQ(p.list[2], "gamma");
    EXPECT_EQ(p.commits, 1);
    Click(p.page, "deleteButton");
    EXPECT_TRUE(p.list[2].empty());
    EXPECT_TRUE(p.Table()->item(2, 1)->text().isEmpty());
    EXPECT_EQ(p.commits, 2);
}

TEST(EntryPage, ResetAndAFailedCardWrite) {
    Page p;
    p.card.failWriteNumber = 2;  // the reset's second write: the phonebook is already empty
    Click(p.page, "resetButton");
    EXPECT_EQ(p.ui.writeErrors, 1);
    EXPECT_EQ(p.list, EntryList{});
    EXPECT_EQ(p.commits, 1) << "what was done stays done: Cancel cannot undo it";
    EXPECT_EQ(p.Current()->count(), 0);
    p.page.Apply();
    EXPECT_EQ(p.book.entryIndex, 0);

    p.card.failWriteNumber = 0;
    Click(p.page, "resetButton");
    EXPECT_EQ(p.list[0], kFactoryApn);
    EXPECT_EQ(p.Current()->currentText().toStdString(), kFactoryApn);
}

TEST(EntryPage, RenamingOntoAnotherEntrysNameIsRefused) {
    Page p;
    p.Edit(0, [](QDialog& d) {
        Field(d, "nameEdit")->setText(QStringLiteral("gamma"));
        Click(d, "okButton");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), Field(d, "nameEdit"));
        Click(d, "cancelButton");
    });
    ASSERT_EQ(p.ui.shown.size(), 1u);
    EXPECT_EQ(p.ui.shown[0].caption, IDS_ENTRY_CHECK_CAPTION);
    EXPECT_EQ(p.ui.shown[0].text, IDS_ENTRY_NAME_DUPLICATE_TEXT);
    EXPECT_EQ(p.list[0], "alpha.example");
    EXPECT_TRUE(p.card.log.empty());
    EXPECT_EQ(p.commits, 0);
}

TEST(EntryPage, EditingOnlyTheCredentialsTouchesNeitherCardNorName) {
    Page p;
    p.Edit(2, [](QDialog& d) {
        EXPECT_EQ(Field(d, "nameEdit")->text(), QStringLiteral("gamma"));
        EXPECT_EQ(Field(d, "userEdit")->text(), QStringLiteral("ug"));
        EXPECT_EQ(Field(d, "passwordEdit")->echoMode(), QLineEdit::Password);
        EXPECT_EQ(Child<QLabel>(d, "dialValue")->text(), QStringLiteral("*99***3#"));
        Field(d, "userEdit")->setText(QStringLiteral("new-user"));
        Field(d, "passwordEdit")->setText(QStringLiteral("new-pass"));
        Click(d, "okButton");
    });
    EXPECT_TRUE(p.card.log.empty());
    EXPECT_EQ(p.book.log, std::vector<std::string>{"credentials gamma"});
    EXPECT_EQ(p.book.table[2].user, "new-user");
    EXPECT_EQ(p.book.Find("gamma")->password, "new-pass");
    EXPECT_EQ(p.commits, 1);
}

TEST(EntryPage, AddingAnEntry) {
    Page p;
    p.Edit(1, [](QDialog& d) {
        EXPECT_TRUE(Field(d, "nameEdit")->text().isEmpty());
        EXPECT_EQ(Child<QLabel>(d, "dialValue")->text(), QStringLiteral("*99***2#"));
        Field(d, "nameEdit")->setText(QStringLiteral("beta.example"));
        Field(d, "userEdit")->setText(QStringLiteral("ub"));
        Click(d, "okButton");
    });
    EXPECT_EQ(p.card.contexts[1], "beta.example");
    EXPECT_EQ(p.list[1], "beta.example");
    EXPECT_EQ(p.book.table[1].user, "ub");
    EXPECT_EQ(p.Current()->itemText(1), QStringLiteral("beta.example"));
    EXPECT_EQ(Child<QPushButton>(p.page, "editButton")->text(), Text(IDS_DLG_ENTRY_EDIT));

    // A double-click opens the dialog too; Cancel there changes nothing.
    const QRect cell = p.Table()->visualRect(p.Table()->model()->index(2, 1));
    OnNextModal([](QDialog& d) { Click(d, "cancelButton"); });
    QTest::mouseDClick(p.Table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(p.commits, 1);
}

// Each refusal names its field and puts the focus there; nothing is cut short on input.
TEST(EntryEditDialog, RefusalsFocusTheirField) {
    const QString tooLong = QString(86, QChar(0x30E6));  // 258 bytes of UTF-8
    struct Case {
        const char* field;
        QString text;
        int refusal;
    } cases[] = {
        {"nameEdit", QString(), IDS_ENTRY_NAME_EMPTY_TEXT},
        {"nameEdit", QStringLiteral("a_b"), IDS_ENTRY_NAME_INVALID_TEXT},
        {"nameEdit", QString(101, QLatin1Char('a')), IDS_ENTRY_NAME_TOO_LONG_TEXT},
        {"userEdit", tooLong, IDS_ENTRY_USER_TOO_LONG_TEXT},
        {"passwordEdit", QString(256, QLatin1Char('p')), IDS_ENTRY_PASSWORD_TOO_LONG_TEXT},
    };
    for (const Case& c : cases) {
        Entries e;
        EntryChanges checks(e.book, e.card, e.ui);
        CCfgDialupEntryModifyDlg dialog(e.list, 2, e.book, checks, std::nullopt);
        ModalScript script(dialog);
        script.Then([&] {
            Field(dialog, "nameEdit")->setText(QStringLiteral("beta"));
            Field(dialog, c.field)->setText(c.text);
            EXPECT_EQ(Field(dialog, c.field)->text(), c.text) << "the field took all of it";
            Click(dialog, "okButton");
            EXPECT_EQ(dialog.focusWidget(), Field(dialog, c.field)) << c.field;
            EXPECT_EQ(Field(dialog, c.field)->selectedText(), c.text);
            dialog.reject();
        });
        EXPECT_FALSE(dialog.Run());
        ASSERT_EQ(e.ui.shown.size(), 1u) << c.field;
        EXPECT_EQ(e.ui.shown[0].text, c.refusal) << c.field;
    }
}

// A page whose check and apply are counted.
class CountingPage : public QWidget, public ISheetPage {
public:
    explicit CountingPage(QString title) : m_title(std::move(title)) {}
    QWidget* Widget() override { return this; }
    QString Title() const override { return m_title; }
    bool CanLeave() override {
        ++checks;
        return canLeave;
    }
    void Apply() override { ++applied; }
    bool canLeave = true;
    int checks = 0;
    int applied = 0;

private:
    QString m_title;
};

TEST(DialupSheet, APageThatRefusesToBeLeftKeepsItsTab) {
    CCfgDialupSheet sheet;
    CountingPage first(QStringLiteral("first"));
    CountingPage second(QStringLiteral("second"));
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    ModalScript script(sheet);
    script.Then([&] {
        QTabBar* bar = sheet.Tabs()->tabBar();
        first.canLeave = false;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        EXPECT_TRUE(first.isVisible());
        EXPECT_EQ(first.checks, 1) << "asked once, not again when the switch was taken back";
        QTest::keyClick(bar, Qt::Key_Right);
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        EXPECT_EQ(first.checks, 2);
        Click(sheet, "okButton");  // refused too: the sheet stays, nothing applied
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_EQ(first.applied + second.applied, 0);

        first.canLeave = true;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
        EXPECT_EQ(first.checks, 4);
        EXPECT_EQ(second.checks, 0);
        Click(sheet, "okButton");  // only the current page is checked
    });
    EXPECT_TRUE(sheet.Run());
    EXPECT_EQ(second.checks, 1);
    EXPECT_EQ(first.checks, 4);
    EXPECT_EQ(first.applied, 1);
    EXPECT_EQ(second.applied, 1);
}

TEST(DialupSheet, CancelBecomesCloseAfterACommittedChangeAndAppliesNothing) {
    Page p(2);
    CCfgDialupSheet sheet;
    sheet.AddPage(&p.page);
    QObject::connect(&p.page, &CCfgDialupEntryPage::Committed, &sheet, &CCfgDialupSheet::ChangesCommitted);
    ModalScript script(sheet);
    script.Then([&] {
        EXPECT_EQ(Child<QPushButton>(sheet, "cancelButton")->text(), Text(IDS_BUTTON_CANCEL));
        p.Current()->setCurrentIndex(0);
        p.ui.answers = {false};
        p.Choose(2);
        Click(sheet, "deleteButton");
        EXPECT_EQ(Child<QPushButton>(sheet, "cancelButton")->text(), Text(IDS_BUTTON_CANCEL));
        Click(sheet, "deleteButton");
        EXPECT_EQ(Child<QPushButton>(sheet, "cancelButton")->text(), Text(IDS_BUTTON_CLOSE));
        Click(sheet, "cancelButton");
    });
    EXPECT_FALSE(sheet.Run());
    EXPECT_TRUE(p.list[2].empty()) << "the delete stays";
    EXPECT_EQ(p.book.entryIndex, -1) << "the entry to dial changes only on OK";
}

}  // namespace

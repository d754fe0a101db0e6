// The dial-up settings dialogs on screen: every control named for screen readers, and,
// with VR31K_SCREENSHOT_DIR set, their pictures saved there.
#include "ModalScript.h"
#include "support/EntryFakes.h"
#include "gui/CCfgDialupEntryModifyDlg.h"
#include "gui/CCfgDialupEntryPage.h"
#include "gui/CCfgDialupSheet.h"
#include "gui/CSyncApnDlg.h"
#include "gui/CSyncApnListDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

bool InsideTable(const QWidget* control) {
    for (const QWidget* p = control->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (qobject_cast<const QTableWidget*>(p) != nullptr) return true;
    }
    return false;
}

void ExpectNamedAndSave(QDialog& dialog, const char* file) {
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control) &&
            !qobject_cast<QLineEdit*>(control) && !qobject_cast<QComboBox*>(control) &&
            !qobject_cast<QTableWidget*>(control)) {
            continue;
        }
        if (InsideTable(control)) continue;  // the table's own headers and corner
        const std::string what = std::string(file) + " " + control->metaObject()->className();
        EXPECT_FALSE(control->objectName().isEmpty()) << what << " " << control->accessibleName().toStdString();
        EXPECT_FALSE(control->accessibleName().isEmpty()) << what << " " << control->objectName().toStdString();
    }
    const QPixmap picture = dialog.grab();
    EXPECT_FALSE(picture.isNull());
    const QString shots = qEnvironmentVariable("VR31K_SCREENSHOT_DIR");
    if (!shots.isEmpty()) picture.save(QDir(shots).filePath(QString::fromLatin1(file) + ".png"));
}

struct Data {
    Data() {
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
    FakeEntryBook book;
    FakeCard card;
    ScriptedUi ui;
    EntryList list;
    EntryList cardView;
};

TEST(DialupDialogs, EveryControlIsNamedAndTheDialogsDraw) {
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    }
    Data d;
    {
        CCfgDialupSheet sheet;
        CCfgDialupEntryPage page(d.list, d.book, d.card, d.ui, 1);
        sheet.AddPage(&page);
        ModalScript script(sheet);
        script.Then([&] {
            page.findChild<QTableWidget*>()->setCurrentCell(1, 1);
            ExpectNamedAndSave(sheet, "CCfgDialupSheet");
            sheet.reject();
        });
        sheet.Run();
    }
    {
        EntryChanges checks(d.book, d.card, d.ui);
        CCfgDialupEntryModifyDlg edit(d.list, 2, d.book, checks, std::nullopt);
        ModalScript script(edit);
        script.Then([&] {
            ExpectNamedAndSave(edit, "CCfgDialupEntryModifyDlg");
            edit.reject();
        });
        edit.Run();
    }
    {
        CSyncApnDlg sync(d.cardView, d.book, d.card, d.ui);
        ModalScript script(sync);
        script.Then([&] {
            ExpectNamedAndSave(sync, "CSyncApnDlg");
            d.ui.answers = {true};
            sync.reject();
        });
        sync.Run();
    }
    {
        // Red, black and grey rows: entry #1 reset, one row still to do, one deleted.
        CSyncApnListDlg list(d.cardView, d.book, d.card, d.ui);
        ModalScript script(list);
        script.Then([&] {
            auto* table = list.findChild<QTableWidget*>();
            for (int row : {0, 3}) {
                table->setCurrentCell(row, 1);
                list.findChild<QAbstractButton*>(QStringLiteral("deleteButton"))->click();
            }
            table->setCurrentCell(1, 1);
            ExpectNamedAndSave(list, "CSyncApnListDlg");
            list.reject();
        });
        list.Run();
    }
}

}  // namespace

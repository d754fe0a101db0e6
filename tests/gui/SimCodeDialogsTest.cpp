// The SIM code dialogs as the card logic uses them: the same object asked again after a
// refused input, with the count it is given and emptied fields.
#include "ModalScript.h"
#include "Widgets.h"
#include "card/CardCheck.h"
#include "common/StringIds.h"
#include "gui/CAuthPinDlg.h"
#include "gui/CAuthPukDlg.h"
#include "gui/CCfgPinAuthDlg.h"
#include "gui/CCfgPinChangeDlg.h"
#include "gui/SimDialogs.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::Child;
using vr31k::test::Click;
using vr31k::test::ModalScript;

namespace {

QString Field(QWidget& dialog, const char* name) { return Child<QLineEdit>(dialog, name)->text(); }
void Type(QWidget& dialog, const char* name, const char* text) {
    Child<QLineEdit>(dialog, name)->setText(QString::fromUtf8(text));
}
QString Attempts(QWidget& dialog) { return Child<QLabel>(dialog, "attemptsValue")->text(); }

// The card logic's prompts answered by the real dialogs; boxes recorded and answered
// by the scripted user.
class DialogCardUi : public test::ScriptedUi {
public:
    CAuthPinDlg pinDialog{*this};
    CAuthPukDlg pukDialog{*this};
    std::optional<std::string> AskPin(int attemptsLeft) override { return pinDialog.Ask(attemptsLeft); }
    std::optional<PukEntry> AskPuk(int attemptsLeft) override { return pukDialog.Ask(attemptsLeft); }
};

// OK with the texts typed into the fields (in order).
void Ok(QDialog& dialog, const std::vector<const char*>& fields, const std::vector<const char*>& texts) {
    for (size_t i = 0; i < fields.size(); ++i) Type(dialog, fields[i], texts[i]);
    Click(dialog, "okButton");
}

// The same OK refused: the dialog stays open, told by `refusal`, with every field empty
// and the focus in the first.
void OkRefused(QDialog& dialog, test::ScriptedUi& ui, const std::vector<const char*>& fields,
               const std::vector<const char*>& texts, int refusal) {
    const size_t before = ui.messages.size();
    Ok(dialog, fields, texts);
    EXPECT_TRUE(dialog.isVisible()) << "a refused code closed the dialog";
    EXPECT_EQ(ui.messages, [&] {
        std::vector<int> told(ui.messages.begin(), ui.messages.begin() + static_cast<long>(before));
        told.push_back(refusal);
        return told;
    }());
    for (const char* field : fields) {
        EXPECT_TRUE(Field(dialog, field).isEmpty()) << field;
        EXPECT_EQ(Child<QLineEdit>(dialog, field)->echoMode(), QLineEdit::Password) << field;
    }
    EXPECT_EQ(dialog.focusWidget(), Child(dialog, fields.front()));
}

TEST(SimCodeDialogs, RefusedPinKeepsTheDialogWithTheFieldEmptied) {
    QWidget hiddenMainWindow;  // the card check runs while the window sits in the tray
    DialogCardUi ui;
    ui.pinDialog.setParent(&hiddenMainWindow, ui.pinDialog.windowFlags());
    ModalScript script(ui.pinDialog);
    script.Then([&] {
        EXPECT_EQ(Attempts(ui.pinDialog).toStdString(), "3 回");
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &ui.pinDialog) << "not brought to the front";
        for (const char* bad : {"12a4", "123", "123456789", ""}) {
            OkRefused(ui.pinDialog, ui, {"pinEdit"}, {bad}, IDS_PIN_FORMAT_CAPTION);
        }
        EXPECT_EQ(Attempts(ui.pinDialog).toStdString(), "3 回");
        Ok(ui.pinDialog, {"pinEdit"}, {"12345678"});
    });
    EXPECT_EQ(PromptPin(ui, 3), std::optional<std::string>("12345678"));
    EXPECT_EQ(ui.messages, std::vector<int>(4, IDS_PIN_FORMAT_CAPTION));
    EXPECT_EQ(script.StepsLeft(), 0);
    EXPECT_TRUE(Field(ui.pinDialog, "pinEdit").isEmpty()) << "the PIN stays in the closed dialog";

    script.Then([&] {
        EXPECT_EQ(Attempts(ui.pinDialog).toStdString(), "1 回");
        Type(ui.pinDialog, "pinEdit", "1234");
        Click(ui.pinDialog, "cancelButton");
    });
    EXPECT_EQ(PromptPin(ui, 1), std::nullopt);
}

TEST(SimCodeDialogs, PukMismatchOrBadFormatEmptiesAllThreeFieldsIncludingThePuk) {
    DialogCardUi ui;
    ModalScript script(ui.pukDialog);
    const std::vector<const char*> fields{"pukEdit", "newPinEdit", "confirmPinEdit"};
    script.Then([&] {
        EXPECT_EQ(Attempts(ui.pukDialog).toStdString(), "10 回");
        OkRefused(ui.pukDialog, ui, fields, {"12345678", "1111", "1112"}, IDS_PIN_CONFIRM_MISMATCH_CAPTION);
        OkRefused(ui.pukDialog, ui, fields, {"1234567890", "1111", "1111"}, IDS_PIN_FORMAT_CAPTION);
        Ok(ui.pukDialog, fields, {"87654321", "2222", "2222"});
    });
    const std::optional<PukEntry> entry = PromptPuk(ui, 10);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->puk, "87654321");
    EXPECT_EQ(entry->newPin, "2222");
    EXPECT_EQ(entry->confirmPin, "2222");
    EXPECT_EQ(ui.messages, (std::vector<int>{IDS_PIN_CONFIRM_MISMATCH_CAPTION, IDS_PIN_FORMAT_CAPTION}));
}

TEST(SimCodeDialogs, PinChangeRefusesInPlaceAndIsShownAgainWithTheNewCount) {
    test::ScriptedUi ui;
    CCfgPinChangeDlg dialog(ui);
    ModalScript script(dialog);
    const std::vector<const char*> fields{"currentPinEdit", "newPinEdit", "confirmPinEdit"};
    script
        .Then([&] {
            EXPECT_EQ(Attempts(dialog).toStdString(), "3 回");
            OkRefused(dialog, ui, fields, {"0000", "1234", "1235"}, IDS_PIN_CONFIRM_MISMATCH_CAPTION);
            Ok(dialog, fields, {"0000", "1234", "1234"});
        })
        .Then([&] {  // the card refused the current PIN
            EXPECT_EQ(Attempts(dialog).toStdString(), "2 回");
            for (const char* field : fields) EXPECT_TRUE(Field(dialog, field).isEmpty()) << field;
            Click(dialog, "cancelButton");
        });
    const std::optional<PinChangeEntry> entry = dialog.Ask(3);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->currentPin, "0000");
    EXPECT_EQ(entry->newPin, "1234");
    EXPECT_EQ(entry->confirmPin, "1234");
    EXPECT_EQ(dialog.Ask(2), std::nullopt);
}

TEST(SimCodeDialogs, PinLockOkOnlyWhileTheChoiceDiffersAndTheChoiceSurvivesACancelledPrompt) {
    CCfgPinAuthDlg dialog;
    ModalScript script(dialog);
    QPushButton* ok = Child<QPushButton>(dialog, "okButton");
    script
        .Then([&] {
            EXPECT_TRUE(Child<QRadioButton>(dialog, "lockOnRadio")->isChecked());
            EXPECT_FALSE(ok->isEnabled());
            Click(dialog, "lockOffRadio");
            EXPECT_TRUE(ok->isEnabled());
            Click(dialog, "lockOnRadio");
            EXPECT_FALSE(ok->isEnabled());
            Click(dialog, "lockOffRadio");
            ok->click();
        })
        .Then([&] {  // back after the PIN prompt was cancelled: as the user left it
            EXPECT_TRUE(Child<QRadioButton>(dialog, "lockOffRadio")->isChecked());
            EXPECT_TRUE(ok->isEnabled());
            Click(dialog, "cancelButton");
        })
        .Then([&] {  // a new start after Cancel shows the card's setting again
            EXPECT_TRUE(Child<QRadioButton>(dialog, "lockOnRadio")->isChecked());
            EXPECT_FALSE(ok->isEnabled());
            Click(dialog, "cancelButton");
        });
    EXPECT_EQ(dialog.Choose(true), std::optional<bool>(false));
    EXPECT_EQ(dialog.Choose(true), std::nullopt);
    EXPECT_EQ(dialog.Choose(true), std::nullopt);

    script.Then([&] {
        EXPECT_TRUE(Child<QRadioButton>(dialog, "lockOffRadio")->isChecked());
        Click(dialog, "lockOnRadio");
        ok->click();
    });
    EXPECT_EQ(dialog.Choose(false), std::optional<bool>(true));
}

TEST(SimCodeDialogs, PromptsOfTheWindowInTheTrayTakeInput) {
    // In the tray the main window is hidden and disabled; a card arrival or the tray's
    // signal display may still ask for the PIN there, after a prompt of the shown window.
    QWidget mainWindow;
    mainWindow.show();
    test::ScriptedUi boxes;
    SimDialogs dialogs(&mainWindow, boxes);
    const auto enterPin = [](const char* pin) {
        test::OnNextModal([pin](QDialog& dialog) {
            EXPECT_TRUE(dialog.isEnabled()) << "the prompt takes no input";
            Ok(dialog, {"pinEdit"}, {pin});
        });
    };
    enterPin("1234");
    EXPECT_EQ(dialogs.AskPin(3), std::optional<std::string>("1234"));
    mainWindow.hide();
    mainWindow.setEnabled(false);
    enterPin("5678");
    EXPECT_EQ(dialogs.AskPin(2), std::optional<std::string>("5678"));
    mainWindow.setEnabled(true);
    mainWindow.show();
    enterPin("2468");
    EXPECT_EQ(dialogs.AskPin(1), std::optional<std::string>("2468"));
}

}  // namespace

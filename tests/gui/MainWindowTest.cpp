// The desktop face of start-up: the real window receives a second start's restore
// request and runs the connection's dialogs, and the real program, started twice,
// keeps one instance.
#include "ModalScript.h"
#include "Spoken.h"
#include "UtilityProcess.h"
#include "WaitFor.h"
#include "gui/CCfgDialupStatusDlg.h"
#include "gui/QtAppUi.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "app/CUtilityApp.h"
#include "gui/UtilityWindow.h"
#include "support/StartupFixture.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::TempDir;
using vr31k::test::UtilityProcess;
using vr31k::test::WaitFor;

namespace {

// The program's window, started as the program starts it.
class MainWindow : public test::StartupFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance(ui));
        window = ui.MainWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { app.ExitInstance(); }

    CUtilityApp app{Env()};
    QtAppUi ui;
    UtilityWindow* window = nullptr;
};

TEST_F(MainWindow, RestoreRequestBringsTheHiddenWindowBack) {
    EXPECT_TRUE(window->isVisible());
    window->hide();

    int restored = 0;
    QObject::connect(window, &UtilityWindow::Restored, [&] { ++restored; });
    // Anything else on the socket is ignored.
    ASSERT_TRUE(SendInstanceMessage(app.InstanceSocketPath(), {kMsgTrayNotify, 1, 0x201}));
    ASSERT_TRUE(SendInstanceMessage(app.InstanceSocketPath(), {kMsgTrayNotify, 1, kMouseLeftButtonUp}));
    ASSERT_TRUE(WaitFor([&] { return restored > 0; }));
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(window->isVisible());
}

// A screen reader reads the figures a sighted user reads, each under its caption.
TEST_F(MainWindow, ScreenReadersReadTheValuesNotOnlyTheirCaptions) {
    window->SetConnectionValues("apn.example", "01:02:05", "1,234 kBytes");
    const struct {
        const char* value;
        const char* label;
        test::Spoken spoken;
    } rows[] = {
        {"value1040", "label1039", {"接続先", "apn.example", ""}},
        {"value1042", "label1041", {"接続時間", "01:02:05", ""}},
        {"value1044", "label1043", {"送受信データ量", "1,234 kBytes", ""}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(test::SpokenOf(window->findChild<QWidget*>(QLatin1String(row.value))), row.spoken) << row.value;
        const test::Spoken caption{std::string(row.spoken.name) + " :", "", ""};
        EXPECT_EQ(test::SpokenOf(window->findChild<QWidget*>(QLatin1String(row.label))), caption) << row.label;
    }
}

// Each connection dialog, shown once from the shown window and again after the window
// went to the tray (which hides and disables it), takes input; the connection's logic
// ends it from a posted event, which runs inside the dialog's own loop.
TEST_F(MainWindow, ConnectionDialogsTakeInputAndEndFromPostedEvents) {
    QString progress;
    struct Dialog {
        const char* name;
        std::function<bool()> open;
        std::function<void()> run, end;
    };
    const Dialog dialogs[] = {
        {"connecting", [&] { return window->ConnectingDialogOpen(); },
         [&] { EXPECT_TRUE(window->RunConnectingDialog()); },
         [&] {
             window->SetConnectingText(ids::IDS_PROGRESS_AUTHENTICATED);
             progress = window->findChild<QLabel*>(QStringLiteral("progressLabel"))->text();
             window->EndConnectingDialog(true);
             window->EndConnectingDialog(false);  // the dialog is already on its way out
         }},
        {"disconnecting", [&] { return window->DisconnectingDialogOpen(); }, [&] { window->RunDisconnectingDialog(); },
         [&] { window->EndDisconnectingDialog(); }},
        {"status", [&] { return window->StatusDialogOpen(); }, [&] { window->RunStatusDialog({}); },
         [&] {
             window->RunStatusDialog({});  // already open: returns at once
             window->RefreshStatusDialog({});
             window->CloseStatusDialog();
         }},
    };
    for (const bool inTray : {false, true}) {
        if (inTray) {
            window->hide();
            window->setEnabled(false);
        }
        for (const Dialog& dialog : dialogs) {
            SCOPED_TRACE(std::string(dialog.name) + (inTray ? " from the tray" : ""));
            bool open = false, takesInput = false;
            window->Post([&] {
                open = dialog.open();
                takesInput = QApplication::activeModalWidget() && QApplication::activeModalWidget()->isEnabled();
                dialog.end();
            });
            dialog.run();
            EXPECT_TRUE(open);
            EXPECT_TRUE(takesInput);
            EXPECT_FALSE(dialog.open());
        }
    }
    EXPECT_EQ(progress, QStringLiteral("認証しました"));
    window->EndConnectingDialog(false);  // closed: nothing

    // In the tray the dialogs stand alone: closing one by its title bar's button is not
    // the program's end. (Without a tray here the window waits hidden for one.)
    ASSERT_TRUE(window->ToTray(false));
    ASSERT_FALSE(window->IsShown());
    QTimer::singleShot(0, window, [&] {
        window->Post([&] {
            EXPECT_EQ(window->findChild<CCfgDialupStatusDlg*>(), nullptr) << "owned by the hidden window";
            if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
        });
        window->RunStatusDialog({});
        QTimer::singleShot(100, [] { QCoreApplication::exit(7); });
    });
    EXPECT_EQ(QApplication::exec(), 7) << "closing the dialog ended the program";
    EXPECT_FALSE(window->StatusDialogOpen());
}

TEST(MainWindowBoxes, RefusalBoxShowsTheTableTexts) {
    QtAppUi ui;
    test::OnNextModal([](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle().toStdString(), LoadString(ids::IDS_MULTIUSER_CAPTION));
        EXPECT_EQ(box->text().toStdString(), LoadString(ids::IDS_MULTIUSER_TEXT));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->accept();
    });
    ui.Tell(ids::IDS_MULTIUSER_CAPTION, ids::IDS_MULTIUSER_TEXT, MessageIcon::Warning);
}

TEST(UtilityProgram, SecondStartRestoresTheFirstAndExitsSilently) {
    const TempDir dir;  // every start's folders
    QProcessEnvironment env;
    env.insert("VR31K_LOCK_DIR", QString::fromStdString(dir.Path()));
    env.insert("VR31K_DATA_DIR", QString::fromStdString(dir.File("data")));
    std::optional<UtilityProcess> first(std::in_place, env);
    first->Start();
    ASSERT_TRUE(first->WaitSaid("main window ready")) << first->Output().toStdString();

    UtilityProcess second(env);
    second.Start({"/AutoStart"});
    EXPECT_TRUE(second.EndsCleanlyOn(0)) << "the second start must not stay (or show a box)";
    EXPECT_FALSE(second.Output().contains("main window ready"));
    EXPECT_TRUE(first->WaitSaid("restore requested", 10000)) << first->Output().toStdString();

    // A crashed first instance leaves its lock behind: the next start runs normally.
    first.reset();
    UtilityProcess third(env);
    third.Start();
    EXPECT_TRUE(third.WaitSaid("main window ready")) << third.Output().toStdString();
    // Asked to end (as at log-out), it closes its files and exits normally.
    EXPECT_TRUE(third.EndsCleanlyOn(SIGTERM)) << third.Output().toStdString();
    EXPECT_NE(access((dir.File("data") + "/VR31KUTL.mdb").c_str(), F_OK), -1);
    EXPECT_EQ(access((dir.File("data") + "/VR31KUTL.mdb-wal").c_str(), F_OK), -1) << "the history was not closed";
}

}  // namespace

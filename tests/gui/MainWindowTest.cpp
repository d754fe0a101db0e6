// The desktop face of start-up: the real window receives a second start's restore
// request, and the real program, started twice, keeps one instance.
#include "Spoken.h"
#include "gui/QtAppUi.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "app/CUtilityApp.h"
#include "gui/UtilityWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace vr31k;
using vr31k::test::TempDir;

namespace {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

StartupEnvironment TestEnv(const TempDir& dir) {
    StartupEnvironment env;
    env.lockDir = dir.Path();
    env.dataFolder = dir.File("data");
    env.user = UserIdentity{"alice", std::vector<std::string>{}};
    env.os = CurrentOsVersionRecord();
    return env;
}

// The program's window, started as the program starts it.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance(ui));
        window = ui.MainWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { app.ExitInstance(); }

    TempDir dir;
    CUtilityApp app{TestEnv(dir)};
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

TEST_F(MainWindow, ConnectionDialogsShownAgainFromTheTrayTakeInput) {
    struct Dialog {
        const char* name;
        std::function<void()> run;
        std::function<void()> end;
    };
    const std::vector<Dialog> dialogs = {
        {"connecting", [&] { window->RunConnectingDialog(); }, [&] { window->EndConnectingDialog(false); }},
        {"disconnecting", [&] { window->RunDisconnectingDialog(); }, [&] { window->EndDisconnectingDialog(); }},
        {"status", [&] { window->RunStatusDialog({}); }, [&] { window->CloseStatusDialog(); }},
    };
    // Each shown once from the shown window, then again after the window went to the
    // tray, which hides and disables it.
    for (const bool inTray : {false, true}) {
        if (inTray) {
            window->hide();
            window->setEnabled(false);
        }
        for (const Dialog& dialog : dialogs) {
            bool takesInput = false;
            QTimer::singleShot(0, [&] {
                if (!WaitFor([] { return QApplication::activeModalWidget() != nullptr; })) return;
                takesInput = QApplication::activeModalWidget()->isEnabled();
                dialog.end();
            });
            dialog.run();
            EXPECT_TRUE(takesInput) << dialog.name << (inTray ? " from the tray" : "");
        }
    }
}

TEST(MainWindowBoxes, RefusalBoxShowsTheTableTexts) {
    QtAppUi ui;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        WaitFor([] { return QApplication::activeModalWidget() != nullptr; });
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    ui.Tell(ids::IDS_MULTIUSER_CAPTION, ids::IDS_MULTIUSER_TEXT, MessageIcon::Warning);
    EXPECT_EQ(title.toStdString(), LoadString(ids::IDS_MULTIUSER_CAPTION));
    EXPECT_EQ(text.toStdString(), LoadString(ids::IDS_MULTIUSER_TEXT));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(UtilityProgram, SecondStartRestoresTheFirstAndExitsSilently) {
    TempDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VR31K_LOCK_DIR", QString::fromStdString(dir.Path()));
    env.insert("VR31K_DATA_DIR", QString::fromStdString(dir.File("data")));
    env.insert("QT_LOGGING_RULES", "vr31k.*.info=true");

    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(VR31K_UTILITY_BIN, {});
    QByteArray firstOutput;
    const auto firstSaid = [&](const char* line) {
        firstOutput += first.readAll();
        return firstOutput.contains(line);
    };
    ASSERT_TRUE(WaitFor([&] { return firstSaid("main window ready"); }, 20000)) << firstOutput.toStdString();

    QProcess second;
    second.setProcessEnvironment(env);
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(VR31K_UTILITY_BIN, {"/AutoStart"});
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second start must not stay (or show a box)";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(second.readAll().contains("main window ready"));
    EXPECT_TRUE(WaitFor([&] { return firstSaid("restore requested"); }, 10000)) << firstOutput.toStdString();

    // A crashed first instance leaves its lock behind: the next start runs normally.
    first.kill();
    first.waitForFinished(5000);
    QProcess third;
    third.setProcessEnvironment(env);
    third.setProcessChannelMode(QProcess::MergedChannels);
    third.start(VR31K_UTILITY_BIN, {});
    QByteArray thirdOutput;
    EXPECT_TRUE(WaitFor([&] {
        thirdOutput += third.readAll();
        return thirdOutput.contains("main window ready");
    }, 20000)) << thirdOutput.toStdString();
    // Asked to end (as at log-out), it closes its files and exits normally.
    third.terminate();
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_NE(access((dir.File("data") + "/VR31KUTL.mdb").c_str(), F_OK), -1);
    EXPECT_EQ(access((dir.File("data") + "/VR31KUTL.mdb-wal").c_str(), F_OK), -1) << "the history was not closed";
}

}  // namespace

// The connection's dialogs: the connecting dialog's progress and its three ends, the
// disconnecting dialog's dots and its refusal to be closed, the figures in the result and
// status dialogs. The window runs them in MainWindowTest.
#include "ModalScript.h"
#include "Spoken.h"
#include "common/StringIds.h"
#include "gui/CCfgDialupStatusDlg.h"
#include "gui/CDialupConnectingDlg.h"
#include "gui/CDialupDisconnectingDlg.h"
#include "gui/CDialupResultDlg.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::ModalScript;

namespace {

void PressEscape(QWidget& widget) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&widget, &escape);
}

TEST(ConnectingDialog, ShowsProgressAndEndsWithOkOnlyWhenConnected) {
    CDialupConnectingDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("接続しています..."));
    auto* progress = dialog.findChild<QLabel*>(QStringLiteral("progressLabel"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"));
    ASSERT_TRUE(progress && cancel);
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), nullptr);

    const struct {
        const char* end;
        std::function<void()> act;
        bool connected;
    } cases[] = {
        {"link up", [&] { dialog.Finish(true); }, true},
        {"dial failed", [&] { dialog.Finish(false); }, false},
        {"Cancel", [&] { cancel->click(); }, false},
        {"Escape", [&] { PressEscape(dialog); }, false},
    };
    for (const auto& c : cases) {
        ModalScript script(dialog);
        script.Then([&] {
            EXPECT_TRUE(dialog.IsOpen());
            EXPECT_TRUE(cancel->isVisible());
            EXPECT_EQ(progress->text(), QStringLiteral("接続しています")) << "each dial starts afresh";
            dialog.SetProgress(IDS_PROGRESS_AUTHENTICATE);
            EXPECT_EQ(progress->text(), QStringLiteral("認証しています..."));
            c.act();
        });
        EXPECT_EQ(dialog.Run(), c.connected) << c.end;
        EXPECT_FALSE(dialog.IsOpen());
        dialog.Finish(!c.connected);  // a late end of a closed dialog changes nothing
        EXPECT_EQ(dialog.result(), c.connected ? QDialog::Accepted : QDialog::Rejected) << c.end;
    }
}

TEST(DisconnectingDialog, DotsCycleAndOnlyTheHangUpEndsIt) {
    CDialupDisconnectingDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("通信切断中"));
    auto* text = dialog.findChild<QLabel*>(QStringLiteral("textLabel"));
    auto* timer = dialog.findChild<QTimer*>(QStringLiteral("dotsTimer"));
    ASSERT_TRUE(text && timer);
    const QString base = QStringLiteral("ダイヤルアップ通信を切断しています");
    const auto tick = [&] { ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout")); };

    ModalScript script(dialog);
    script.Then([&] {
        EXPECT_TRUE(timer->isActive());
        EXPECT_EQ(timer->interval(), 500);
        EXPECT_EQ(text->text(), base);
        for (const char* dots : {" .", " ..", " ...", " ", " .", " ..", " ...", " "}) {
            tick();
            EXPECT_EQ(text->text(), base + QLatin1String(dots));
        }
        tick();  // left mid-cycle: the next showing starts from the beginning
        EXPECT_TRUE(dialog.findChildren<QPushButton*>().isEmpty());
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        PressEscape(dialog);
        EXPECT_TRUE(dialog.isVisible()) << "Escape closed it";
        dialog.close();
        EXPECT_TRUE(dialog.isVisible()) << "the close button closed it";
        dialog.Finish();
        EXPECT_FALSE(timer->isActive());
    });
    script.Then([&] {
        EXPECT_EQ(text->text(), base);
        tick();
        EXPECT_EQ(text->text(), base + QStringLiteral(" ."));
        dialog.Finish();
    });
    dialog.Run();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.Run();
    EXPECT_EQ(script.StepsLeft(), 0);
    dialog.Finish();  // closed: nothing
    EXPECT_FALSE(timer->isActive());
}

// Each figure in its own field, under its own label, in its own group.
struct FigureRow {
    const char* name;
    const char* label;
    const char* group;
    std::string ConnectionFiguresText::*text;
};
const FigureRow kFigureRows[] = {
    {"time", "通信時間 :", "connectionGroup", &ConnectionFiguresText::time},
    {"sent", "送信データ量 :", "connectionGroup", &ConnectionFiguresText::sent},
    {"received", "受信データ量 :", "connectionGroup", &ConnectionFiguresText::received},
    {"charge", "概算料金 :", "chargeGroup", &ConnectionFiguresText::charge},
    {"freeLeft", "パケット無料通信料 残量 :", "chargeGroup", &ConnectionFiguresText::freeLeft},
    {"limitLeft", "パケット定額料 残量 :", "chargeGroup", &ConnectionFiguresText::limitLeft},
};
const ConnectionFiguresText kFigures{"25:00:00",           "1,073,741,824 Bytes", "1,048,576 kBytes",
                                     "\u00A5 1,234",       "0 Bytes",             "12,800 Bytes"};
const QString kNote = QStringLiteral("※ご注意 : 通信料金などについては目安であり、\n"
                                     "\u3000\u3000\u3000\u3000\u3000\u3000\u3000実際の請求額とは異なる場合があります。");

void ExpectFigures(const QDialog& dialog, const ConnectionFiguresText& figures, const QString& connectionGroup) {
    for (const FigureRow& row : kFigureRows) {
        const QString name = QLatin1String(row.name);
        auto* value = dialog.findChild<QLineEdit*>(name + QStringLiteral("Value"));
        auto* label = dialog.findChild<QLabel*>(name + QStringLiteral("Label"));
        ASSERT_TRUE(value && label) << row.name;
        EXPECT_EQ(value->text().toStdString(), figures.*row.text) << row.name;
        EXPECT_TRUE(value->isReadOnly()) << row.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(row.label));
        EXPECT_EQ(label->buddy(), value) << row.name;
        EXPECT_EQ(value->parentWidget()->objectName(), QLatin1String(row.group)) << row.name;
    }
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("connectionGroup"))->title(), connectionGroup);
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("chargeGroup"))->title(), QStringLiteral("料金"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("noteLabel"))->text(), kNote);
}

TEST(ResultDialog, ShowsTheSixFiguresUnderTheirLabels) {
    CDialupResultDlg dialog(kFigures);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("今回の利用状況"));
    ExpectFigures(dialog, kFigures, QStringLiteral("通信結果"));
    EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), nullptr);
}

// The figures and the projection line follow the ticks while the dialog is open, without
// resizing it; the connection's end closes it from outside.
TEST(StatusDialog, RefreshesWhileOpenAndClosesFromOutside) {
    CCfgDialupStatusDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ダイヤルアップ通信状態"));
    ConnectionFiguresText calm = kFigures;
    calm.projection = {"この期間の予想金額: 約 1,234 円 (あと 20 日)", true, false, ""};
    ConnectionFiguresText heading = kFigures;
    heading.time = "25:00:01";
    heading.charge = "---";
    heading.projection = {"この期間の予想金額: 約 12,345,678 円 (あと 19 日)", true, true, "past the cap"};
    ModalScript script(dialog);
    script.Then([&] {
        ExpectFigures(dialog, calm, QStringLiteral("通信状態"));
        auto* line = dialog.findChild<QLineEdit*>(QStringLiteral("projectionLine"));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->parentWidget()->objectName(), QStringLiteral("chargeGroup"));
        EXPECT_EQ(line->accessibleName(), QStringLiteral("予想金額"));
        EXPECT_EQ(line->text(), QString::fromStdString(calm.projection.text));
        EXPECT_FALSE(line->font().bold());
        auto* warning = dialog.findChild<QLabel*>(QStringLiteral("linkWarning"));
        ASSERT_NE(warning, nullptr);
        EXPECT_FALSE(warning->isVisible());
        const QSize size = dialog.size();
        dialog.Refresh(heading);
        ExpectFigures(dialog, heading, QStringLiteral("通信状態"));
        EXPECT_EQ(line->text(), QString::fromStdString(heading.projection.text));
        EXPECT_TRUE(line->font().bold());
        EXPECT_EQ(line->accessibleDescription(), QStringLiteral("past the cap"));
        EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(line->text()));
        QApplication::processEvents();
        EXPECT_EQ(dialog.size(), size);
        dialog.Refresh(calm);
        EXPECT_FALSE(line->font().bold());
        EXPECT_TRUE(line->accessibleDescription().isEmpty());
        // The link's warning above the figures, read by its words.
        calm.warning = "警告: 接続していますが、通信はこの接続ではなく wg0 を通っています。";
        dialog.Refresh(calm);
        EXPECT_TRUE(warning->isVisible());
        EXPECT_EQ(test::SpokenOf(warning).name, calm.warning);
        dialog.Close();
    });
    dialog.Run(calm);
    EXPECT_FALSE(dialog.IsOpen());
    dialog.Close();  // closed: nothing
    EXPECT_EQ(script.StepsLeft(), 0);
}

}  // namespace

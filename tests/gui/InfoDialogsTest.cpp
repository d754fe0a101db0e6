// The read-only dialogs, and what every dialog offers screen readers.
#include "ModalScript.h"
#include "Spoken.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "gui/CAboutDlg.h"
#include "gui/CAuthPinDlg.h"
#include "gui/CAuthPukDlg.h"
#include "gui/CCfgDialupStatusDlg.h"
#include "gui/CCfgPinAuthDlg.h"
#include "gui/CCfgPinChangeDlg.h"
#include "gui/CCfgUtilityDlg.h"
#include "gui/CDialupConnectingDlg.h"
#include "gui/CDialupDisconnectingDlg.h"
#include "gui/CDialupResultDlg.h"
#include "gui/CHelpCardInfoDlg.h"
#include "gui/CHelpDiagnosisDlg.h"
#include "support/ScriptedUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QStyle>
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

// Every dialog, built as the program builds it, with a name for its screenshot.
struct Built {
    const char* file;
    std::unique_ptr<QDialog> dialog;
    std::function<void()> run;  // runs it modally (the SIM dialogs fill their count then)
};

std::vector<Built> AllDialogs(UtilitySettings& settings, IMessageBox& boxes) {
    std::vector<Built> all;
    const auto add = [&all](const char* file, auto dialog, auto run) {
        auto* shown = dialog.get();
        all.push_back({file, std::move(dialog), [shown, run] { run(*shown); }});
    };
    const auto exec = [](QDialog& d) { d.exec(); };
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
    add("CDialupConnectingDlg", std::make_unique<CDialupConnectingDlg>(), [](CDialupConnectingDlg& d) { d.Run(); });
    add("CDialupDisconnectingDlg", std::make_unique<CDialupDisconnectingDlg>(),
        [](CDialupDisconnectingDlg& d) { d.Run(); });
    add("CDialupResultDlg", std::make_unique<CDialupResultDlg>(figures), exec);
    add("CCfgDialupStatusDlg", std::make_unique<CCfgDialupStatusDlg>(),
        [figures](CCfgDialupStatusDlg& d) { d.Run(figures); });
    return all;
}

// Each dialog on screen: every control has an object name and an accessible name, and
// the dialog draws. With VR31K_SCREENSHOT_DIR set, the pictures are saved there.
TEST(AllDialogs, EveryControlIsNamedForScreenReaders) {
    UtilitySettings settings;
    test::ScriptedUi boxes;
    const QString shots = qEnvironmentVariable("VR31K_SCREENSHOT_DIR");
    // The program sets its own icon; here any icon shows where it goes.
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    }
    for (Built& built : AllDialogs(settings, boxes)) {
        QDialog& dialog = *built.dialog;
        EXPECT_FALSE(dialog.accessibleName().isEmpty()) << built.file;
        ModalScript script(dialog);
        script.Then([&] {
            for (QWidget* control : dialog.findChildren<QWidget*>()) {
                if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control) &&
                    !qobject_cast<QLineEdit*>(control) && !qobject_cast<QGroupBox*>(control)) {
                    continue;
                }
                const std::string what = std::string(built.file) + " " + control->metaObject()->className() + " " +
                                         control->objectName().toStdString();
                EXPECT_FALSE(control->objectName().isEmpty()) << what;
                EXPECT_FALSE(control->accessibleName().isEmpty()) << what;
                // What a sighted user reads there, a screen reader reads too.
                const test::Spoken spoken = test::SpokenOf(control);
                if (const auto* label = qobject_cast<QLabel*>(control); label && control->isVisible()) {
                    QString shown = label->text().remove(QLatin1Char('&'));
                    if (shown.endsWith(QStringLiteral(" :"))) shown.chop(2);
                    EXPECT_NE((spoken.name + "\n" + spoken.description).find(shown.toStdString()), std::string::npos) << what << spoken;
                }
                if (const auto* field = qobject_cast<QLineEdit*>(control); field && field->echoMode() == QLineEdit::Normal) {
                    EXPECT_EQ(spoken.value, field->text().toStdString()) << what;
                }
            }
            const QPixmap picture = dialog.grab();
            EXPECT_FALSE(picture.isNull());
            if (!shots.isEmpty()) picture.save(QDir(shots).filePath(QString::fromLatin1(built.file) + ".png"));
            dialog.done(QDialog::Rejected);  // not reject(): the disconnecting dialog refuses it
        });
        built.run();
        EXPECT_EQ(script.StepsLeft(), 0) << built.file;
    }
}

}  // namespace

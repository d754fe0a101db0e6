// The utility settings dialog: what OK lets through into the caller's block, the two
// questions, and Cancel.
#include "ModalScript.h"
#include "Widgets.h"
#include "common/StringIds.h"
#include "gui/CCfgUtilityDlg.h"
#include "support/ScriptedUi.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::ModalScript;
using vr31k::test::ScriptedUi;

namespace {

UtilitySettings OneshotSettings() {
    UtilitySettings s;
    s.autoStart = 1;
    s.iconizedStart = 0;
    s.cardDtctRising = 1;
    s.antDispOneshot = 1;
    s.antDispOneshotTime = 30;
    s.solvaneMode = 1;
    return s;
}

struct Harness {
    explicit Harness(UtilitySettings start = OneshotSettings()) : settings(start), dialog(settings, boxes) {}
    template <typename T>
    T* Get(const char* name) { return test::Child<T>(dialog, name); }
    QLineEdit* Time() { return Get<QLineEdit>("timeEdit"); }
    void Click(const char* name) { Get<QAbstractButton>(name)->click(); }

    UtilitySettings settings;
    ScriptedUi boxes;
    CCfgUtilityDlg dialog;
    ModalScript script{dialog};
};

struct TimeCase {
    const char* name;
    const char* text;
    int refusal;  // caption of the box, 0 = accepted
    int stored;
};

class DisplayTime : public ::testing::TestWithParam<TimeCase> {};

// In either mode: under the continuous one the field is disabled, and a time it holds
// (from the file) that OK refuses is opened to the user's correction.
TEST_P(DisplayTime, OkChecksTheTextBeforeAnythingIsCopiedInEitherMode) {
    const TimeCase& c = GetParam();
    for (const int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "one-click" : "continuous");
        UtilitySettings start = OneshotSettings();
        start.antDispOneshot = mode;
        Harness h(start);
        h.script.Then([&] {
            EXPECT_EQ(h.Time()->isEnabled(), mode == 1);
            h.Time()->setText(QString::fromUtf8(c.text));
            h.Click("autoStartCheck");  // a change that must not reach the block on a refusal
            h.Click("okButton");
            if (c.refusal == 0) return;
            EXPECT_TRUE(h.dialog.isVisible()) << "a refused time closed the dialog";
            EXPECT_TRUE(h.Time()->isEnabled());
            EXPECT_EQ(h.dialog.focusWidget(), h.Time());
            EXPECT_EQ(h.Time()->selectedText(), h.Time()->text());
            h.Click("cancelButton");
        });
        const bool ok = h.dialog.Run();
        EXPECT_EQ(ok, c.refusal == 0);
        EXPECT_EQ(h.settings.antDispOneshotTime, c.stored);
        EXPECT_EQ(h.settings.antDispOneshot, mode);
        if (c.refusal == 0) {
            EXPECT_TRUE(h.boxes.shown.empty());
            continue;
        }
        EXPECT_EQ(h.settings, start);
        ASSERT_EQ(h.boxes.shown.size(), 1u);
        const ScriptedUi::Box& box = h.boxes.shown[0];
        EXPECT_EQ(box.caption, c.refusal);
        EXPECT_EQ(box.text, c.refusal + 1);
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        if (c.refusal == IDS_RANGE_CAPTION) {
            EXPECT_EQ(box.shownText, "10 から 60 までの整数を入力してください。");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(UtilitySettingsDialog, DisplayTime,
                         ::testing::Values(TimeCase{"Five", "5", IDS_RANGE_CAPTION, 30},
                                           TimeCase{"Ten", "10", 0, 10},
                                           TimeCase{"Sixty", "60", 0, 60},
                                           TimeCase{"SixtyOne", "61", IDS_RANGE_CAPTION, 30},
                                           TimeCase{"Negative", "-10", IDS_DIGITS_ONLY_CAPTION, 30},
                                           TimeCase{"Letter", "1a", IDS_DIGITS_ONLY_CAPTION, 30},
                                           TimeCase{"LeadingSpace", " 15", IDS_DIGITS_ONLY_CAPTION, 30},
                                           TimeCase{"FullWidthDigits", "１５", IDS_DIGITS_ONLY_CAPTION, 30},
                                           TimeCase{"LeadingZero", "015", 0, 15},
                                           TimeCase{"Empty", "", IDS_RANGE_CAPTION, 30}),
                         [](const ::testing::TestParamInfo<TimeCase>& row) { return std::string(row.param.name); });

TEST(UtilitySettingsDialog, UntickingAutoStartAsksAndNoTicksItAgain) {
    for (const bool yes : {false, true}) {
        Harness h;
        h.boxes.answers = {yes};
        h.script.Then([&] {
            h.Click("autoStartCheck");
            EXPECT_EQ(h.Get<QCheckBox>("autoStartCheck")->isChecked(), !yes);
            h.Click("okButton");
        });
        EXPECT_TRUE(h.dialog.Run());
        EXPECT_EQ(h.settings.autoStart, yes ? 0 : 1);
        ASSERT_EQ(h.boxes.asked.size(), 1u);
        EXPECT_EQ(h.boxes.asked[0].caption, IDS_AUTOSTART_OFF_CAPTION);
    }
    Harness h(UtilitySettings{0, 0, 1, 1, 30, 0});  // ticking it asks nothing
    h.script.Then([&] {
        h.Click("autoStartCheck");
        h.Click("okButton");
    });
    EXPECT_TRUE(h.dialog.Run());
    EXPECT_EQ(h.settings.autoStart, 1);
    EXPECT_TRUE(h.boxes.asked.empty());
}

TEST(UtilitySettingsDialog, ContinuousIsAskedEveryTimeItIsChosenFromOneClick) {
    Harness h;
    h.boxes.answers = {false, true};
    h.script.Then([&] {
        QRadioButton* oneshot = h.Get<QRadioButton>("oneshotRadio");
        EXPECT_TRUE(h.Time()->isEnabled());
        h.Click("continuousRadio");  // No: back to one-click
        EXPECT_TRUE(oneshot->isChecked());
        EXPECT_EQ(h.dialog.focusWidget(), oneshot);
        EXPECT_TRUE(h.Time()->isEnabled());
        h.Click("continuousRadio");  // Yes
        EXPECT_TRUE(h.Get<QRadioButton>("continuousRadio")->isChecked());
        EXPECT_FALSE(h.Time()->isEnabled());
        h.Click("continuousRadio");  // already continuous: no question
        h.Click("okButton");
    });
    EXPECT_TRUE(h.dialog.Run());
    EXPECT_EQ(h.settings.antDispOneshot, 0);
    EXPECT_EQ(h.boxes.messages, (std::vector<int>{IDS_CONTINUOUS_SIGNAL_CAPTION, IDS_CONTINUOUS_SIGNAL_CAPTION}));
}

TEST(UtilitySettingsDialog, CancelAfterChangesLeavesTheBlockAsItWas) {
    Harness h;
    h.script.Then([&] {
        h.Click("autoStartCheck");
        h.Click("iconizedStartCheck");
        h.Click("cardDtctRisingCheck");
        h.Click("continuousRadio");
        h.Time()->setText(QStringLiteral("20"));
        h.Click("cancelButton");
    });
    EXPECT_FALSE(h.dialog.Run());
    EXPECT_EQ(h.settings, OneshotSettings());
}

TEST(UtilitySettingsDialog, OkCopiesTheFiveValuesAndLeavesTheRestAlone) {
    Harness h;
    h.script.Then([&] {
        h.Click("iconizedStartCheck");
        h.Click("cardDtctRisingCheck");
        h.Time()->setText(QStringLiteral("12"));
        h.Click("okButton");
    });
    EXPECT_TRUE(h.dialog.Run());
    EXPECT_EQ(h.settings, (UtilitySettings{1, 1, 0, 1, 12, 1}));
}

}  // namespace

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

// Auto-start on, the one-click display for 30 s, the read-only mode set.
const UtilitySettings kOneshot{1, 0, 1, 1, 30, 1};

struct Harness {
    explicit Harness(UtilitySettings start = kOneshot) : settings(start), dialog(settings, boxes) {}
    template <typename T>
    T* Get(const char* name) { return test::Child<T>(dialog, name); }
    QLineEdit* Time() { return Get<QLineEdit>("timeEdit"); }
    void Click(const char* name) { Get<QAbstractButton>(name)->click(); }

    UtilitySettings settings;
    ScriptedUi boxes;
    CCfgUtilityDlg dialog;
    ModalScript script{dialog};
};

// In either mode: under the continuous one the field is disabled, and a time it holds
// (from the file) that OK refuses is opened to the user's correction.
TEST(UtilitySettingsDialog, OkChecksTheTimeBeforeAnythingIsCopiedInEitherMode) {
    const struct {
        const char* text;
        int refusal;  // caption of the box, 0 = accepted
        int stored;
    } cases[] = {
        {"5", IDS_RANGE_CAPTION, 30},         {"10", 0, 10},
        {"60", 0, 60},                        {"61", IDS_RANGE_CAPTION, 30},
        {"-10", IDS_DIGITS_ONLY_CAPTION, 30}, {"1a", IDS_DIGITS_ONLY_CAPTION, 30},
        {" 15", IDS_DIGITS_ONLY_CAPTION, 30}, {"１５", IDS_DIGITS_ONLY_CAPTION, 30},
        {"015", 0, 15},                       {"", IDS_RANGE_CAPTION, 30},
    };
    for (const auto& c : cases) {
        for (const int mode : {1, 0}) {
            SCOPED_TRACE(std::string(mode == 1 ? "one-click, " : "continuous, ") + "\"" + c.text + "\"");
            UtilitySettings start = kOneshot;
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
}

// What the user changes, then OK or Cancel: what reaches the caller's block, and the
// questions on the way. Unticking auto-start asks, and No ticks it again; ticking it asks
// nothing; OK copies the five values the dialog shows and leaves the read-only mode alone.
TEST(UtilitySettingsDialog, OkCopiesWhatTheUserChangedAndCancelNothing) {
    const struct {
        const char* what;
        UtilitySettings start;
        std::deque<bool> answers;
        std::vector<const char*> clicks;  // the last ends the dialog
        const char* time;                 // typed before it; nullptr: left alone
        UtilitySettings stored;
        std::vector<int> asked;
    } cases[] = {
        {"auto-start unticked, No", kOneshot, {false}, {"autoStartCheck", "okButton"}, nullptr, kOneshot,
         {IDS_AUTOSTART_OFF_CAPTION}},
        {"auto-start unticked, Yes", kOneshot, {true}, {"autoStartCheck", "okButton"}, nullptr, {0, 0, 1, 1, 30, 1},
         {IDS_AUTOSTART_OFF_CAPTION}},
        {"auto-start ticked", {0, 0, 1, 1, 30, 0}, {}, {"autoStartCheck", "okButton"}, nullptr, {1, 0, 1, 1, 30, 0}, {}},
        {"five values, OK", kOneshot, {}, {"iconizedStartCheck", "cardDtctRisingCheck", "okButton"}, "12",
         {1, 1, 0, 1, 12, 1}, {}},
        {"changes, Cancel", kOneshot, {},
         {"autoStartCheck", "iconizedStartCheck", "cardDtctRisingCheck", "continuousRadio", "cancelButton"}, "20",
         kOneshot, {IDS_AUTOSTART_OFF_CAPTION, IDS_CONTINUOUS_SIGNAL_CAPTION}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h(c.start);
        h.boxes.answers = c.answers;
        const bool ok = std::string(c.clicks.back()) == "okButton";
        h.script.Then([&] {
            for (size_t i = 0; i + 1 < c.clicks.size(); ++i) h.Click(c.clicks[i]);
            if (c.time != nullptr) h.Time()->setText(QString::fromUtf8(c.time));
            if (ok) {
                EXPECT_EQ(h.Get<QCheckBox>("autoStartCheck")->isChecked(), c.stored.autoStart == 1);
            }
            h.Click(c.clicks.back());
        });
        EXPECT_EQ(h.dialog.Run(), ok);
        EXPECT_EQ(h.settings, c.stored);
        EXPECT_EQ(h.boxes.messages, c.asked);
    }
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

}  // namespace

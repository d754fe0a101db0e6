// The main window's tables: enable rules per state, pictures and tray icons, the
// signal display's texts, the entry combo box's fill and the tray tip.
#include "common/StringIds.h"
#include "mainwnd/MainWindowRules.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

struct EnableRow {
    int state;
    bool sync, pin;
    // connect, remove, cardSettings, pinChange, dialupStatus, traySignal, signalButton,
    // entryLabel, figureLabels, emptyValues, comboShown
    const char* expected;
};

std::string Flags(const ControlStates& c) {
    std::string s;
    for (bool b : {c.connect, c.remove, c.cardSettings, c.pinChange, c.dialupStatus, c.traySignal, c.signalButton,
                   c.entryLabel, c.figureLabels, c.emptyValues, c.comboShown}) {
        s += b ? '1' : '0';
    }
    return s;
}

TEST(MainWindowRules, EnableTableForEveryState) {
    const EnableRow rows[] = {
        {0, true, true, "00000000010"},  {1, true, false, "11100111011"}, {1, false, false, "01100110010"},
        {8, true, true, "11110111011"},  {8, false, true, "01110110010"}, {9, true, false, "11100111011"},
        {2, true, true, "01000000010"},  {5, true, true, "01000000010"},  {7, false, false, "01000000010"},
        {10, false, false, "10001001100"}, {11, true, true, "10001001100"},
    };
    for (const EnableRow& row : rows) {
        const ControlStates c = EnableRules(row.state, row.sync, row.pin);
        EXPECT_EQ(Flags(c), row.expected) << "state " << row.state << " sync " << row.sync << " pin " << row.pin;
        EXPECT_EQ(c.connectButton, c.connect);
        EXPECT_EQ(c.removeButton, c.remove);
        EXPECT_EQ(c.refillCombo, row.state >= 10);
        EXPECT_TRUE(c.changed);
    }
    EXPECT_FALSE(EnableRules(12, true, true).changed) << "a state above 11 changes only the picture";
    EXPECT_FALSE(EnableRules(-1, true, true).changed);
}

TEST(MainWindowRules, PictureAndTrayIconPerState) {
    struct Row {
        int state, level, picture, icon;
    } rows[] = {
        {0, -1, 153, 139}, {1, -1, 156, 142}, {2, -1, 147, 133}, {3, -1, 160, 146}, {4, -1, 155, 141},
        {5, -1, 158, 144}, {6, -1, 157, 143}, {7, -1, 159, 145}, {8, 3, 156, 142},  {9, 0, 148, 134},
        {9, 1, 149, 135},  {9, 4, 152, 138},  {9, 5, 156, 142},  {9, -1, 156, 142}, {10, -1, 154, 140},
        {11, -1, 154, 140}, {12, -1, 156, 142},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(StatePictureId(r.state, r.level), r.picture) << r.state << "/" << r.level;
        EXPECT_EQ(StateTrayIconId(r.state, r.level), r.icon) << r.state << "/" << r.level;
    }
}

TEST(MainWindowRules, ThePictureInWordsForScreenReaders) {
    EXPECT_EQ(StateInWords(8, 3), "使用可能");
    EXPECT_EQ(StateInWords(9, 3), "電波状態表示中 電波レベル 3");
    EXPECT_EQ(StateInWords(9, 0), "電波状態表示中 圏外");
    EXPECT_EQ(StateInWords(9, 7), "電波状態表示中") << "an out-of-range level is not read out";
    EXPECT_EQ(StateInWords(12, -1), StateInWords(1, -1)) << "any other state shows the card picture";
}

TEST(MainWindowRules, SignalDisplayTextsPerModeAndState) {
    using namespace ids;
    struct Row {
        bool oneshot;
        int state, item, button, width;
        bool checked;
    } rows[] = {
        {true, 8, IDS_SIGNAL_ITEM_ONESHOT, IDS_SIGNAL_BUTTON_ONESHOT, 200, false},
        {true, 9, IDS_SIGNAL_ITEM_ONESHOT, IDS_SIGNAL_BUTTON_ONESHOT_STOP, 200, true},
        {false, 8, IDS_SIGNAL_ITEM_CONTINUOUS, IDS_SIGNAL_BUTTON_CONTINUOUS, 150, false},
        {false, 9, IDS_SIGNAL_ITEM_CONTINUOUS, IDS_SIGNAL_BUTTON_CONTINUOUS_STOP, 150, true},
    };
    for (const Row& r : rows) {
        const SignalDisplayTexts t = SignalTexts(r.oneshot, r.state);
        EXPECT_EQ(t.trayItemTextId, r.item);
        EXPECT_EQ(t.buttonTextId, r.button);
        EXPECT_EQ(t.buttonWidth, r.width);
        EXPECT_EQ(t.checked, r.checked);
    }
}

TEST(MainWindowRules, ComboSelectsTheLastNameAddedAtOrBeforeTheIndex) {
    EntryList names{"a", "", "c", "", "e"};
    struct Row {
        int index, selected;
    } rows[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {9, 2}, {-1, 0}};
    for (const Row& r : rows) {
        const ComboFill fill = FillEntryCombo(names, r.index);
        EXPECT_EQ(fill.items, (std::vector<std::string>{"a", "c", "e"}));
        EXPECT_EQ(fill.selected, r.selected) << r.index;
    }
    EXPECT_EQ(FillEntryCombo(EntryList{}, 3).selected, -1);
    EXPECT_EQ(FillEntryCombo(EntryList{"", "", "x"}, 0).selected, 0) << "nothing at or before: the first row";
}

TEST(MainWindowRules, TrayTipShortensTheEntryNameNeverTheFigures) {
    const std::string tip = ConnectionTrayTip("apn.example", "01:02:05", "1,234 kBytes");
    EXPECT_EQ(tip, "KORVANE VR31K ユーティリティ\n通信中: apn.example\n接続時間: 01:02:05\nデータ量: 1,234 kBytes");
    const std::string longName(100, 'x');
    const std::string shortened = ConnectionTrayTip("パ" + longName, "100:00:00", "1,048,576 kBytes");
    EXPECT_LE(shortened.size(), 127u);
    EXPECT_NE(shortened.find("…\n接続時間: 100:00:00\nデータ量: 1,048,576 kBytes"), std::string::npos);
    std::string japanese;
    for (int i = 0; i < 40; ++i) japanese += "パ";  // three bytes each: never cut inside one
    const std::string cut = ConnectionTrayTip(japanese, "00:00:01", "0 kBytes");
    const size_t dots = cut.find("…");
    ASSERT_NE(dots, std::string::npos);
    EXPECT_EQ((dots - cut.find("通信中: ") - std::string("通信中: ").size()) % 3, 0u);
    // A pace line goes last while the figures and a little of the entry keep their room.
    const std::string paced = ConnectionTrayTip(longName, "01:02:05", "1,234 kBytes", "1日あと 12 MB");
    EXPECT_LE(paced.size(), 127u);
    EXPECT_NE(paced.find("…\n接続時間: 01:02:05\nデータ量: 1,234 kBytes\n1日あと 12 MB"), std::string::npos) << paced;
    EXPECT_EQ(ConnectionTrayTip("apn", "01:02:05", "1,234 kBytes", std::string(60, 'z')).find('z'), std::string::npos)
        << "a pace with no room is left out";
}

}  // namespace
}  // namespace vr31k

#include "app/StringTable.h"
#include "app/StringIds.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

namespace vr31k::detail {
std::string FormatText(std::string_view text, std::initializer_list<std::string_view> args);
}

namespace {

using namespace vr31k;
using namespace vr31k::ids;

// Every named id, in ascending order.
constexpr int kAllIds[] = {
    IDS_SYSMENU_ABOUT, IDS_MAIN_WINDOW_CLASS, IDS_MULTIUSER_CAPTION, IDS_MULTIUSER_TEXT,
    IDS_ABOUT_VERSION_PREFIX, IDS_PORT_OPEN_ERROR_CAPTION, IDS_PORT_OPEN_ERROR_TEXT,
    IDS_WRONG_DEVICE_CAPTION, IDS_WRONG_DEVICE_TEXT, IDS_WRONG_SIM_CAPTION, IDS_WRONG_SIM_TEXT,
    IDS_SIM_LOCKED_CAPTION, IDS_SIM_LOCKED_TEXT, IDS_SIM_FAILURE_CAPTION, IDS_SIM_FAILURE_TEXT,
    IDS_PIN_FORMAT_CAPTION, IDS_PIN_FORMAT_TEXT, IDS_PIN_WRONG_CAPTION, IDS_PIN_WRONG_TEXT,
    IDS_PIN_BLOCKED_CAPTION, IDS_PIN_BLOCKED_TEXT, IDS_SIM_NOT_INSERTED_CAPTION,
    IDS_SIM_NOT_INSERTED_TEXT, IDS_PIN_CONFIRM_MISMATCH_CAPTION, IDS_PIN_CONFIRM_MISMATCH_TEXT,
    IDS_PUK_BLOCKED_CAPTION, IDS_PUK_BLOCKED_TEXT, IDS_CONTINUOUS_SIGNAL_CAPTION,
    IDS_CONTINUOUS_SIGNAL_TEXT, IDS_AUTOSTART_OFF_CAPTION, IDS_AUTOSTART_OFF_TEXT,
    IDS_SIGNAL_ITEM_CONTINUOUS, IDS_SIGNAL_ITEM_ONESHOT, IDS_CONNECT_ITEM, IDS_DISCONNECT_ITEM,
    IDS_CARD_REMOVED_CAPTION, IDS_CARD_REMOVED_TEXT, IDS_CARD_REMOVE_FAILED_CAPTION,
    IDS_CARD_REMOVE_FAILED_TEXT, IDS_DIALUP_SHEET_CAPTION, IDS_TOTALS_SHEET_CAPTION,
    IDS_SYNC_CANCELLED_CAPTION, IDS_SYNC_CANCELLED_TEXT, IDS_SYNC_DONE_CAPTION, IDS_SYNC_DONE_TEXT,
    IDS_PROGRESS_OPEN_PORT, IDS_PROGRESS_CONNECT_DEVICE, IDS_PROGRESS_DEVICE_CONNECTED,
    IDS_PROGRESS_AUTHENTICATE, IDS_PROGRESS_AUTHENTICATED, IDS_PROGRESS_CONNECTED,
    IDS_EXIT_CONFIRM_CAPTION, IDS_EXIT_CONFIRM_TEXT, IDS_DISCONNECT_CONFIRM_CAPTION,
    IDS_DISCONNECT_CONFIRM_TEXT, IDS_DIAL_FAILED_CAPTION, IDS_DIAL_FAILED_TEXT,
    IDS_CHARGE_NOTICE_CAPTION, IDS_CHARGE_NOTICE_TEXT, IDS_CONNECT_CONFIRM_CAPTION,
    IDS_CONNECT_CONFIRM_TEXT, IDS_SIGNAL_BUTTON_ONESHOT, IDS_SIGNAL_BUTTON_CONTINUOUS,
    IDS_SIGNAL_BUTTON_ONESHOT_STOP, IDS_SIGNAL_BUTTON_CONTINUOUS_STOP, IDS_CONNECT_BUTTON,
    IDS_DISCONNECT_BUTTON, IDS_DIGITS_ONLY_CAPTION, IDS_DIGITS_ONLY_TEXT, IDS_RANGE_CAPTION,
    IDS_RANGE_TEXT, IDS_COMM_ERROR_CAPTION, IDS_COMM_ERROR_TEXT, IDS_WRITE_ERROR_CAPTION,
    IDS_WRITE_ERROR_TEXT, IDS_PUK_WRONG_CAPTION, IDS_PUK_WRONG_TEXT, IDS_APP_TITLE,
    IDS_LINE_LOST_TEXT, IDS_PIN_CHANGE_REFUSED_CAPTION, IDS_PIN_CHANGE_REFUSED_TEXT,
    IDS_DIAL_ABORTED_CAPTION, IDS_DIAL_ABORTED_TEXT, IDS_OUT_OF_SERVICE_CAPTION,
    IDS_OUT_OF_SERVICE_TEXT, IDS_GUEST_CAPTION, IDS_GUEST_TEXT, IDS_OS_CAPTION, IDS_OS_TEXT,
    IDS_STANDBY_REFUSED_CAPTION, IDS_STANDBY_REFUSED_CARD_TEXT,
    IDS_STANDBY_REFUSED_SETTINGS_PORT_TEXT, IDS_STANDBY_REFUSED_SETTINGS_TEXT,
    IDS_MENU_SIGNAL_DISPLAY, IDS_MENU_REMOVE, IDS_MENU_CONNECT, IDS_MENU_EXIT,
    IDS_MENU_UTILITY_SETTINGS, IDS_MENU_DIALUP_SETTINGS, IDS_MENU_PIN_LOCK, IDS_MENU_PIN_CHANGE,
    IDS_MENU_DIALUP_STATUS, IDS_MENU_HISTORY, IDS_MENU_TOTALS, IDS_MENU_CARD_INFO, IDS_MENU_ABOUT,
    IDS_MENU_HELP, IDS_TRAY_SIGNAL_DISPLAY, IDS_TRAY_CONNECT, IDS_TRAY_REMOVE,
    IDS_TRAY_DIALUP_STATUS, IDS_TRAY_MAIN_WINDOW,
};

TEST(StringTable, EveryNamedIdHasText) {
    for (int id : kAllIds) EXPECT_FALSE(LoadString(id).empty()) << id;
}

TEST(StringTable, NamesAreUniqueAndCoverTheWholeTable) {
    for (std::size_t i = 1; i < std::size(kAllIds); ++i) EXPECT_LT(kAllIds[i - 1], kAllIds[i]);
    // A table entry without a name, or one the binary search cannot reach because the
    // table is out of order, shows up as a count mismatch or an unresolved name above.
    std::size_t present = 0;
    for (int id = -1; id <= 70000; ++id) present += HasString(id) ? 1 : 0;
    EXPECT_EQ(present, std::size(kAllIds));
}

TEST(StringTable, StartUpRefusalKeepsItsLineBreaks) {
    EXPECT_EQ(LoadString(IDS_MULTIUSER_CAPTION), "同時複数ユーザ 利用不可");
    EXPECT_EQ(LoadString(IDS_MULTIUSER_TEXT),
              "「KORVANE VR31K ユーティリティ」は、現在別のユーザが利用中です。\n\n"
              "別のユーザにて「KORVANE VR31K ユーティリティ」を終了してから、再度起動してください。");
}

TEST(StringTable, DialProgressTexts) {
    EXPECT_EQ(LoadString(161), "通信ポートを開いています...");
    EXPECT_EQ(LoadString(162), "接続しています...");
    EXPECT_EQ(LoadString(163), "接続しました");
    EXPECT_EQ(LoadString(164), "認証しています...");
    EXPECT_EQ(LoadString(165), "認証しました");
    EXPECT_EQ(LoadString(166), "接続完了しました");
}

TEST(StringTable, BlanksBeforeBreaksAndAtTheEndAreKept) {
    EXPECT_EQ(LoadString(IDS_CHARGE_NOTICE_TEXT), "パケット通信料が設定金額に到達しました。 ");
    EXPECT_EQ(LoadString(IDS_ABOUT_VERSION_PREFIX), "ユーティリティバージョン: Ver ");
    EXPECT_EQ(LoadString(IDS_DISCONNECT_CONFIRM_TEXT), "ダイヤルアップ通信を切断します。  \n\nよろしいですか?");
}

TEST(StringTable, UnknownIdIsEmpty) {
    EXPECT_TRUE(LoadString(0).empty());
    EXPECT_TRUE(LoadString(202).empty());
    EXPECT_FALSE(HasString(202));
    EXPECT_EQ(FormatString(202, {"x"}), "");
}

TEST(StringTable, FormatFillsConversionsInOrder) {
    EXPECT_EQ(LoadString(IDS_CONNECT_CONFIRM_TEXT), "\"%s\" へ接続を開始します。  \nよろしいですか?");
    EXPECT_EQ(FormatString(IDS_CONNECT_CONFIRM_TEXT, {"apn.example"}),
              "\"apn.example\" へ接続を開始します。  \nよろしいですか?");
    EXPECT_EQ(FormatString(IDS_RANGE_TEXT, {"10", "60"}), "10 から 60 までの整数を入力してください。");
    EXPECT_EQ(FormatString(IDS_DIAL_FAILED_TEXT, {"633"}),
              "ダイヤルアップ接続に失敗しました。  \n(エラー： 633)");
}

TEST(StringTable, FormatMissingArgumentsPrintNothing) {
    EXPECT_EQ(FormatString(IDS_RANGE_TEXT, {"10"}), "10 から  までの整数を入力してください。");
    EXPECT_EQ(FormatString(IDS_RANGE_TEXT, {}), " から  までの整数を入力してください。");
}

TEST(StringTable, FormatPercentSigns) {
    EXPECT_EQ(detail::FormatText("%d%% of %s", {"80", "cap"}), "80% of cap");
    EXPECT_EQ(detail::FormatText("%%s %ld/%lu %x", {"1", "2", "3"}), "%s 1/2 3");
    EXPECT_EQ(detail::FormatText("100% sure%", {"x"}), "100% sure%");
}

}  // namespace

#include "common/StringTable.h"

#include "common/StringIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vr31k::detail {
std::string FormatText(std::string_view text, std::initializer_list<std::string_view> args);
}

namespace {

using namespace vr31k;
using namespace vr31k::ids;

// Every id the header names, read from the header itself so that no id can be left
// out of the check: name and number.
std::vector<std::pair<std::string, int>> NamedIds() {
    std::ifstream header(VR31K_STRING_IDS);
    const std::string text((std::istreambuf_iterator<char>(header)), std::istreambuf_iterator<char>());
    static const std::regex kId(R"(inline constexpr int (IDS_\w+) = (\d+);)");
    std::vector<std::pair<std::string, int>> ids;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kId); it != std::sregex_iterator(); ++it) {
        ids.emplace_back((*it)[1].str(), std::stoi((*it)[2].str()));
    }
    // The state picture's words are named by their first, one per card state from the
    // first state on, in a run up to the next named text (the card's tests check each
    // state has its words; a gap shows up as unnamed texts).
    std::set<int> named;
    for (const auto& id : ids) named.insert(id.second);
    for (int id = IDS_STATE_WORDS_FIRST + 1; HasString(id) && !named.count(id); ++id) {
        ids.emplace_back("IDS_STATE_WORDS_FIRST + " + std::to_string(id - IDS_STATE_WORDS_FIRST), id);
    }
    return ids;
}

// Every name has its text, no two names share a number, and the table holds nothing
// unnamed (an entry the binary search cannot reach, the table being out of order,
// shows up as a missing text or a count mismatch).
TEST(StringTable, EveryNamedIdHasTextAndTheTableNothingElse) {
    const auto ids = NamedIds();
    ASSERT_GT(ids.size(), 400u) << VR31K_STRING_IDS;
    std::set<int> numbers;
    for (const auto& [name, id] : ids) {
        EXPECT_FALSE(LoadString(id).empty()) << name;
        EXPECT_TRUE(numbers.insert(id).second) << name << " shares its number " << id;
    }
    std::size_t present = 0;
    for (int id = -1; id <= 70000; ++id) present += HasString(id) ? 1 : 0;
    EXPECT_EQ(present, ids.size());
}

// Texts whose exact form a reader relies on: line breaks, blanks before breaks and at the
// end, the dial progress as it is read out.
TEST(StringTable, TextsKeptExactly) {
    const std::pair<int, const char*> rows[] = {
        {IDS_MULTIUSER_CAPTION, "同時複数ユーザ 利用不可"},
        {IDS_MULTIUSER_TEXT, "「KORVANE VR31K ユーティリティ」は、現在別のユーザが利用中です。\n\n"
                             "別のユーザにて「KORVANE VR31K ユーティリティ」を終了してから、再度起動してください。"},
        {161, "通信ポートを開いています..."},
        {162, "接続しています..."},
        {163, "接続しました"},
        {164, "認証しています..."},
        {165, "認証しました"},
        {166, "接続完了しました"},
        {IDS_CHARGE_NOTICE_TEXT, "パケット通信料が設定金額に到達しました。 "},
        {IDS_ABOUT_VERSION_PREFIX, "ユーティリティバージョン: Ver "},
        {IDS_DISCONNECT_CONFIRM_TEXT, "ダイヤルアップ通信を切断します。  \n\nよろしいですか?"},
        {IDS_CONNECT_CONFIRM_TEXT, "\"%s\" へ接続を開始します。  \nよろしいですか?"},
    };
    for (const auto& [id, text] : rows) EXPECT_EQ(LoadString(id), text) << id;
}

// Conversions filled in order, missing arguments printing nothing; an unknown id is empty.
TEST(StringTable, FormatFillsConversionsInOrder) {
    EXPECT_TRUE(LoadString(0).empty());
    EXPECT_TRUE(LoadString(202).empty());
    EXPECT_FALSE(HasString(202));
    const struct {
        int id;
        std::initializer_list<std::string_view> args;
        const char* text;
    } cases[] = {
        {202, {"x"}, ""},
        {IDS_CONNECT_CONFIRM_TEXT, {"apn.example"}, "\"apn.example\" へ接続を開始します。  \nよろしいですか?"},
        {IDS_RANGE_TEXT, {"10", "60"}, "10 から 60 までの整数を入力してください。"},
        {IDS_DIAL_FAILED_TEXT, {"633"}, "ダイヤルアップ接続に失敗しました。  \n(エラー： 633)"},
        {IDS_RANGE_TEXT, {"10"}, "10 から  までの整数を入力してください。"},
        {IDS_RANGE_TEXT, {}, " から  までの整数を入力してください。"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatString(c.id, c.args), c.text) << c.id;
    EXPECT_EQ(detail::FormatText("%d%% of %s", {"80", "cap"}), "80% of cap");
    EXPECT_EQ(detail::FormatText("%%s %ld/%lu %x", {"1", "2", "3"}), "%s 1/2 3");
    EXPECT_EQ(detail::FormatText("100% sure%", {"x"}), "100% sure%");
}

}  // namespace

// The warning of a link that is up while its traffic or names go elsewhere: which line
// each finding gives, and the tray tip giving it the entry's line.
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "mainwnd/LinkWarning.h"
#include "mainwnd/MainWindowRules.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

using namespace ids;
using R = LinkRoute;
using N = LinkNames;

TEST(LinkWarning, EachFindingHasItsLineAndTip) {
    const struct {
        LinkPathFacts facts;
        int line, tip;  // 0: none
    } rows[] = {
        {{R::Through, "", N::Used}, 0, 0},
        {{R::Unknown, "", N::Unknown}, 0, 0},
        {{R::Elsewhere, "wg0", N::Used}, IDS_LINK_WARNING_ROUTE, IDS_LINK_TIP_ROUTE},
        {{R::Elsewhere, "wg0", N::NotUsed}, IDS_LINK_WARNING_ROUTE_AND_NAMES, IDS_LINK_TIP_ROUTE},
        {{R::None, "", N::NotUsed}, IDS_LINK_WARNING_NO_ROUTE, IDS_LINK_TIP_NO_ROUTE},
        {{R::Through, "", N::NotUsed}, IDS_LINK_WARNING_NAMES, IDS_LINK_TIP_NAMES},
        {{R::Unknown, "", N::NoServers}, IDS_LINK_WARNING_NO_SERVERS, IDS_LINK_TIP_NAMES},
    };
    for (const auto& row : rows) {
        const auto text = [](int id) { return id == 0 ? std::string() : FormatString(id, {"wg0"}); };
        EXPECT_EQ(LinkWarningOf(row.facts), (LinkWarning{text(row.line), text(row.tip)})) << row.line;
    }
    // The tip holds 127 bytes: the warning takes the entry's line, the figures stay.
    const std::string tip = ConnectionTrayTip("apn.example", "01:02:05", "1,234 kBytes", "1日あと 12 MB",
                                              FormatString(IDS_LINK_TIP_ROUTE, {"wlp0s20f3"}));
    EXPECT_EQ(tip, "KORVANE VR31K ユーティリティ\n警告: 通信は wlp0s20f3 経由\n接続時間: 01:02:05\nデータ量: 1,234 kBytes");
}

}  // namespace
}  // namespace vr31k

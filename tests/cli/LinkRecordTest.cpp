// pppd's ip-down hook program: which links it records, what it refuses, and that its
// records are imported once with their charge.
#include "accounting/SpoolImport.h"
#include "cli/LinkRecord.h"
#include "platform/DialupService.h"
#include "support/SpoolFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

using namespace vr31k;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;
namespace fs = std::filesystem;

namespace {

using test::kEnd;

class LinkRecordTest : public test::SpoolFixture {
protected:
    int Hook(std::map<std::string, std::string> env, std::vector<std::string> args = {"ppp0", "/dev/ttyACM0"},
             long long end = kEnd) {
        cli::PppdLinkInput in{dir.Path(), std::move(args), nullptr, sys.Path(), end};
        in.env = [env = std::move(env)](const char* name) {
            const auto it = env.find(name);
            return it == env.end() ? static_cast<const char*>(nullptr) : it->second.c_str();
        };
        std::ostringstream err;
        return cli::RecordEndedLink(in, err);
    }
};

std::map<std::string, std::string> Figures(std::map<std::string, std::string> more = {}) {
    more.insert({{"CONNECT_TIME", "3600"}, {"BYTES_SENT", "1280"}, {"BYTES_RCVD", "2560"}});
    return more;
}

TEST_F(LinkRecordTest, TheHookRecordsTheCardsLinksTheUtilityLeftToIt) {
    CardTty("ttyUSB2", "1d4c", "0a21");
    struct Case {
        const char* what;
        std::map<std::string, std::string> env;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"pppd call vr31k-utility", Figures({{"CALL_FILE", "vr31k-utility"}}), {"ppp0", "/dev/ttyACM0"}, 0},
        {"another dialler on the card's tty", Figures({{"LINKNAME", "mobile"}}), {"ppp1", "/dev/ttyUSB2"}, 0},
        {"the utility's own dial", Figures({{"CALL_FILE", "vr31k-utility"}}),
         {"ppp0", "/dev/ttyACM0", "115200", "10.0.0.1", "10.0.0.2", kOwnLinkParam}, 1},
        {"a link over another modem", Figures({{"CALL_FILE", "isp"}}), {"ppp0", "/dev/ttyS0"}, 1},
        {"no byte counts", {{"CALL_FILE", "vr31k-utility"}, {"CONNECT_TIME", "5"}}, {"ppp0", "/dev/ttyACM0"}, 2},
        {"counts that are not numbers", Figures({{"CALL_FILE", "vr31k-utility"}, {"BYTES_SENT", "-1"}}),
         {"ppp0", "/dev/ttyACM0"}, 2},
        {"a sent count beyond any integer",
         Figures({{"CALL_FILE", "vr31k-utility"}, {"BYTES_SENT", "9999999999999999999"}}), {"ppp0", "/dev/ttyACM0"}, 2},
        {"a received count beyond any integer",
         Figures({{"CALL_FILE", "vr31k-utility"}, {"BYTES_RCVD", "9999999999999999999"}}), {"ppp0", "/dev/ttyACM0"}, 2},
        {"a connect time beyond any integer",
         Figures({{"CALL_FILE", "vr31k-utility"}, {"CONNECT_TIME", "9999999999999999999"}}), {"ppp0", "/dev/ttyACM0"},
         2},
    };
    for (const Case& c : cases) EXPECT_EQ(Hook(c.env, c.args), c.status) << c.what;
    ASSERT_EQ(Spool().size(), 2u);

    const SpoolImport imported = ImportUsageSpool(dir.Path(), charge);
    EXPECT_EQ(imported.failure, 0) << charge.History().LastError();
    EXPECT_EQ(imported.imported, 2);
    EXPECT_TRUE(imported.keptAside.empty());
    EXPECT_TRUE(Spool().empty()) << "an imported record is gone";
    const std::vector<HistoryRow> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    std::vector<std::string> entries{rows[0].entry, rows[1].entry};
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"mobile", "vr31k-utility"}));
    for (const HistoryRow& row : rows) {
        EXPECT_EQ(FormatOleDateTime(row.end), "2008/05/20 11:00:00");
        EXPECT_EQ(FormatOleDateTime(row.start), "2008/05/20 10:00:00");
        EXPECT_EQ(row.sent + row.recv, 3840);
    }
    // Charged one after the other, like connections recorded as they end: a row holds
    // the period's charge up to it.
    EXPECT_EQ(std::max(rows[0].charge.value_or(-1), rows[1].charge.value_or(-1)), 60);
    EXPECT_EQ(std::min(rows[0].charge.value_or(-1), rows[1].charge.value_or(-1)), 30);
    EXPECT_EQ(charge.Period().periodBytes, 7680) << "the period's totals hold them";
}

TEST_F(LinkRecordTest, ALinkInPlaceOfTheSpoolIsNeverFollowed) {
    TempDir elsewhere;
    fs::create_directory_symlink(elsewhere.Path(), dir.File(kSpoolFolderName));
    EXPECT_EQ(Hook(Figures({{"CALL_FILE", "vr31k-utility"}})), 2);
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
    WriteFile(elsewhere.File("planted.rec"), "vr31k-usage 1\n");
    EXPECT_EQ(ImportUsageSpool(dir.Path(), charge).keptAside.size(), 0u);
    EXPECT_TRUE(fs::exists(elsewhere.File("planted.rec")));
}

}  // namespace

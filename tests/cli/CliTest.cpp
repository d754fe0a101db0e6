// vr31kctl's conventions (exit status, one JSON object, error object) and the
// settings commands, run in-process.
#include "CtlRun.h"
#include "common/SettingsStore.h"
#include "cli/CliArgs.h"
#include "cli/Json.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "support/PollUntil.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::cli;
using vr31k::test::CtlResult;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

CtlResult Ctl(const std::vector<std::string>& words) { return vr31k::test::RunCtl(words); }

class SettingsCommandTest : public ::testing::Test {
protected:
    TempDir dir;
    CtlResult Ctl(std::vector<std::string> words) {
        words.insert(words.begin(), {"--data-dir", dir.Path()});
        return ::Ctl(std::move(words));
    }
};

TEST_F(SettingsCommandTest, ShowPrintsDefaultsWithTheKeyNames) {
    const CtlResult r = Ctl({"--json", "settings", "show"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"UTL_CONFIG\": {\"AutoStart\": 1, \"IconizedStart\": 0, \"CardDtctRising\": 1, "
              "\"AntDispOneshot\": 1, \"AntDispOneshotTime\": 10, \"SolvaneMode\": 0, \"PortName\": \"\"}, "
              "\"DUP_CONFIG\": {\"ChargeType\": -1, \"FreePackets\": -1, \"FreeCall1\": -1, "
              "\"PacketCharge2\": -1.0, \"MaxCharge2\": -1, \"PacketSize\": 128, \"NoticeCharge\": -1, "
              "\"NoticeRatio\": -1, \"ChargeDay\": 32, \"EntryIndex\": 0}, "
              "\"GUI_CONFIG\": {\"HistoryListCx\": 0, \"HistoryListCy\": 0, \"HistoryListMx\": 0, "
              "\"HistoryListSortColumn\": -1, \"HistoryListSortMode\": 0}}\n");
    EXPECT_EQ(access(dir.File("VR31KUTL.ini").c_str(), F_OK), -1) << "show must not create the file";
    const CtlResult text = Ctl({"settings", "show"});
    EXPECT_NE(text.out.find("UTL_CONFIG:\n  AutoStart: 1\n"), std::string::npos) << text.out;
}

TEST_F(SettingsCommandTest, SetUtilityValidatesLikeTheDialog) {
    CtlResult r = Ctl({"--json", "settings", "set-utility", "--auto-start", "0", "--oneshot-time", "015"});
    ASSERT_EQ(r.status, 0) << r.err;
    SettingsStore store(dir.File("VR31KUTL.ini"));
    EXPECT_EQ(store.ReadUtility().autoStart, 0);
    EXPECT_EQ(store.ReadUtility().antDispOneshotTime, 15);

    r = Ctl({"--json", "settings", "set-utility", "--oneshot-time", "5", "--auto-start", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "{\"error\": {\"code\": 190, \"name\": \"invalid-value\", \"message\": "
              "\"10 から 60 までの整数を入力してください。\"}}\n");
    EXPECT_EQ(store.ReadUtility().autoStart, 0) << "a refused value changes nothing";

    r = Ctl({"--json", "settings", "set-utility", "--oneshot-time=-10"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"code\": 188"), std::string::npos) << r.out;

    r = Ctl({"settings", "set-utility", "--card-rising", "2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--card-rising must be a whole number from 0 to 1"), std::string::npos) << r.err;
}

// Without --json the plan's numbers read as what they mean; the JSON keeps the numbers.
TEST_F(SettingsCommandTest, PlainOutputSaysWhatThePlanValuesMean) {
    struct Row {
        std::vector<std::string> words;
        std::vector<std::string> plain;  // lines of the output for people
        std::string json;                // a part of the JSON
    } rows[] = {
        {{"settings", "show"},
         {"  ChargeType: not set\n", "  PacketCharge2: not set\n", "  PacketSize: 128\n",
          "  ChargeDay: the month's last day (32)\n", "  PortName: not set\n", "  HistoryListSortColumn: none\n"},
         "\"ChargeType\": -1, \"FreePackets\": -1, \"FreeCall1\": -1, \"PacketCharge2\": -1.0"},
        {{"usage"}, {"charge: no plan\n"}, "\"charge\": -1"},
        {{"plan", "charge", "1000"}, {"charge: no plan\n"}, "\"charge\": -1"},
        {{"plan", "set", "--type", "0", "--price", "0.05", "--packet-size", "128", "--closing-day", "0"},
         {"  ChargeType: metered (0)\n", "  FreePackets: not set\n", "  PacketCharge2: 0.05\n",
          "  ChargeDay: no reset (0)\n", "  type: metered (0)\n"},
         "{\"settings\": {\"ChargeType\": 0, \"FreePackets\": -1"},
        {{"plan", "charge", "12800"}, {"charge: 5\n"}, "\"charge\": 5"},
    };
    for (const auto& row : rows) {
        const CtlResult plain = Ctl(row.words);
        ASSERT_EQ(plain.status, 0) << row.words.front() << plain.err;
        for (const auto& line : row.plain) EXPECT_NE(plain.out.find(line), std::string::npos) << line << "in\n" << plain.out;
        std::vector<std::string> words = row.words;
        words.insert(words.begin(), "--json");
        const CtlResult json = Ctl(words);
        EXPECT_NE(json.out.find(row.json), std::string::npos) << json.out;
    }
}

TEST(CliConventions, UsageErrorsExitTwoWithOneJsonObject) {
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--json"}, {"--json", "nosuch"}, {"--json", "--bogus", "settings"},
             {"--json", "settings", "frobnicate"}, {"--json", "settings", "show", "extra"}, {"--json", "--data-dir"}}) {
        const CtlResult r = Ctl(words);
        EXPECT_EQ(r.status, 2) << words.back();
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        EXPECT_EQ(r.out.rfind("{\"error\": {\"code\": 2, \"name\": \"usage\"", 0), 0u) << r.out;
    }
    const CtlResult help = Ctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("settings"), std::string::npos);
    const CtlResult groupHelp = Ctl({"settings", "--help"});
    EXPECT_EQ(groupHelp.status, 0);
    EXPECT_NE(groupHelp.out.find("set-utility"), std::string::npos);
}

TEST(CliConventions, GlobalOptionsMayFollowTheCommandWord) {
    TempDir dir;
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"settings", "show", "--json", "--data-dir", dir.Path()},
             {"settings", "--json", "show", "--data-dir=" + dir.Path()},
             {"--json", "settings", "show", "--data-dir", dir.Path()}}) {
        const CtlResult r = Ctl(words);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.rfind("{\"UTL_CONFIG\": ", 0), 0u) << r.out;
    }
    const CtlResult twice = Ctl({"--json", "--port", "/dev/a", "card", "check", "--port", "/dev/b"});
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.out.find("--port may be given only once"), std::string::npos) << twice.out;
}

TEST(CliArgs, OptionsInAnyOrderThenPositionals) {
    CliArgs args({"--pin", "1234", "add", "--type=2", "--pin", "5678", "name", "--csv"});
    EXPECT_TRUE(args.Flag("--csv"));
    EXPECT_EQ(args.Option("--type"), "2");
    EXPECT_EQ(args.Options("--pin"), (std::vector<std::string>{"1234", "5678"}));
    EXPECT_EQ(args.Next(), "add");
    EXPECT_EQ(args.Require("name"), "name");
    EXPECT_NO_THROW(args.Finish());

    CliArgs pairs({"--puk", "1", "--new-pin", "2", "--puk", "3", "--new-pin", "4"});
    const auto ordered = pairs.OptionsInOrder({"--puk", "--new-pin"});
    ASSERT_EQ(ordered.size(), 4u);
    EXPECT_EQ(ordered[2], std::make_pair(std::string("--puk"), std::string("3")));

    CliArgs twice({"--type", "1", "--type", "2"});
    EXPECT_THROW(twice.Option("--type"), UsageError);
    CliArgs missing({"--type"});
    EXPECT_THROW(missing.Option("--type"), UsageError);
    CliArgs leftover({"--what"});
    EXPECT_THROW(leftover.Finish(), UsageError);
    EXPECT_THROW(CliArgs::ToInteger("12x", "n", 0, 100), UsageError);
    EXPECT_EQ(CliArgs::ToInteger("-5", "n", -10, 10), -5);
}

TEST(Json, EscapesAndKeepsKeyOrder) {
    Json j = Json::MakeObject();
    j.Set("z", "a\"b\\c\n\x01").Set("a", Json::MakeArray().Push(1).Push(nullptr).Push(true)).Set("r", 2.0);
    EXPECT_EQ(j.Dump(), "{\"z\": \"a\\\"b\\\\c\\n\\u0001\", \"a\": [1, null, true], \"r\": 2.0}");
    EXPECT_EQ(Json(18446744073709551615ULL).Dump(), "18446744073709551615");
}

TEST(Json, PeopleReadMeaningsAndIndentedLinesWhereJsonKeepsNumbers) {
    Json j = Json::MakeObject();
    j.Set("state", Json::Shown(8, "ready (8)"))
        .Set("boxes", Json::MakeArray().Push(Json::Shown(118, "[caption] line one\n\nline two")))
        .Set("texts", Json::JsonOnly(Json::MakeArray().Push("only in JSON")))
        .Set("none", Json::MakeArray());
    EXPECT_EQ(j.Dump(), "{\"state\": 8, \"boxes\": [118], \"texts\": [\"only in JSON\"], \"none\": []}");
    EXPECT_EQ(j.DumpText(), "state: ready (8)\nboxes:\n  - [caption] line one\n\n    line two\nnone: none\n");
}

// A watch ends with its end line however the utility ends: after sending it, or on a
// signal, closing the watch's connection without it. Only a utility that stops
// answering while it still holds the connection is told as such.
TEST(WatchCommand, EndsWithItsEndLineWhenTheUtilityEnds) {
    struct Row {
        const char* name;
        std::vector<std::string> lines;  // sent on the watch's connection, then it is closed
    } rows[] = {
        {"end line", {R"({"reply": "watch", "ok": true, "entry": "e", "duration": "00:00:01"})",
                      R"({"reply": "watch", "ok": true, "state": "none", "end": true})"}},
        {"ended on a signal", {R"({"reply": "watch", "ok": true, "entry": "e", "duration": "00:00:01"})"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        setenv(kLockDirVariable, dir.Path().c_str(), 1);
        InstanceServer server;
        ASSERT_TRUE(server.Listen(InstanceLock(dir.Path()).OwnSocketPath()));
        // The utility: answers the status question, then serves the watch and ends.
        std::thread utility([&] {
            for (const bool watch : {false, true}) {
                pollfd pfd{server.Fd(), POLLIN, 0};
                if (poll(&pfd, 1, 5000) <= 0) return;
                InstancePeer peer(server.AcceptClient());
                std::string request;
                test::PollUntil([&] { return peer.Read(request) != InstancePeer::ReadResult::Waiting; },
                                std::chrono::seconds(5), std::chrono::milliseconds(10));
                if (!watch) {
                    peer.Send(R"({"reply": "status", "ok": true, "state": "connected", "data_folder": ")" + dir.Path() +
                              "\"}");
                }
                for (size_t i = 0; watch && i < row.lines.size(); ++i) peer.Send(row.lines[i]);
            }
        });
        const CtlResult r = Ctl({"--json", "--data-dir", dir.Path(), "watch"});
        utility.join();
        unsetenv(kLockDirVariable);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("\"end\": true"), std::string::npos) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    }
}

}  // namespace

// The instance socket's requests and replies as text: what is a request, and replies
// that read back as they were written whatever their texts hold.
#include "mainwnd/RemoteProtocol.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

TEST(RemoteRequestLine, ParsesRequestsAndRefusesTheRest) {
    struct Case {
        std::string_view line;
        std::optional<RemoteRequest> expected;
    };
    const Case cases[] = {
        {"status", RemoteRequest{RemoteVerb::Status, ""}},
        {"  status \r", RemoteRequest{RemoteVerb::Status, ""}},
        {"watch", RemoteRequest{RemoteVerb::Watch, ""}},
        {"disconnect", RemoteRequest{RemoteVerb::Disconnect, ""}},
        {"connect", RemoteRequest{RemoteVerb::Connect, ""}},
        {"connect internet.example ", RemoteRequest{RemoteVerb::Connect, "internet.example"}},
        {"connect\tmy apn", RemoteRequest{RemoteVerb::Connect, "my apn"}},
        {"changed limit|plan", RemoteRequest{RemoteVerb::Changed, "", kChangedPlan | kChangedLimit}},
        {"changed", std::nullopt},
        {"changed plan|prices", std::nullopt},
        {"", std::nullopt},
        {"STATUS", std::nullopt},
        {"status now", std::nullopt},
        {"disconnect all", std::nullopt},
        {"dial internet.example", std::nullopt},
        {std::string_view("connect a\x01" "b"), std::nullopt},
        {"0x8064 1 0x202", std::nullopt},  // a one-way message is no request
    };
    for (const Case& c : cases) {
        std::string error;
        const auto parsed = ParseRemoteRequest(c.line, error);
        EXPECT_EQ(parsed, c.expected) << c.line;
        EXPECT_EQ(error.empty(), c.expected.has_value()) << c.line << ": " << error;
        if (parsed) {
            std::string again;
            EXPECT_EQ(ParseRemoteRequest(FormatRemoteRequest(*parsed), again), parsed) << c.line;
        }
    }
}

TEST(RemoteReplyLine, ReadsBackWhatItWrote) {
    RemoteReply reply;
    reply.Set("reply", "connect")
        .Set("ok", false)
        .Set("code", -633)
        .Set("big", int64_t{1073741825} * 1024)
        .Set("none", RemoteReply::Value(nullptr))
        .Set("text", "quote \" backslash \\ tab\t line\n end \x01")
        .Set("japanese", "ダイヤルアップ接続に失敗しました。  \n(エラー： 5)")
        .Set("messages", RemoteReply::Value(std::vector<int64_t>{171, 212}))
        .Set("message_texts", RemoteReply::Value(std::vector<std::string>{"a\"b", ""}))
        .Set("empty", RemoteReply::Value(std::vector<int64_t>{}));
    const std::string line = reply.Dump();
    EXPECT_EQ(line.find('\n'), std::string::npos) << "one reply is one line";
    const auto back = RemoteReply::Parse(line);
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(*back, reply);
    EXPECT_EQ(back->Number("code"), -633);
    EXPECT_EQ(back->Text("reply"), "connect");
    EXPECT_FALSE(back->Flag("ok"));
    // Setting a key again replaces its value in place.
    reply.Set("ok", true);
    EXPECT_EQ(reply.All()[1].first, "ok");
    EXPECT_TRUE(reply.Flag("ok"));
}

TEST(RemoteReplyLine, ParsesOtherWritersJsonAndRefusesWhatIsNotAFlatObject) {
    struct Case {
        std::string_view line;
        bool ok;
    };
    const Case cases[] = {
        {R"({})", true},
        {R"(  {"a":1,"b":"x"}  )", true},
        {R"({"a": "\u00e9\ud83d\ude00\/"})", true},
        {R"({"a": [1, 2], "b": ["x", "y"], "c": []})", true},
        {R"({"a": 1.5})", false},
        {R"({"a": {"b": 1}})", false},
        {R"({"a": [1, "x"]})", false},
        {R"({"a": [[1]]})", false},
        {R"({"a": 1} trailing)", false},
        {R"({"a": "unterminated})", false},
        {R"({"a": "\q"})", false},
        {R"({"a": "\udc00"})", false},
        {R"({"a" 1})", false},
        {R"({"a": 1,})", false},
        {R"([1])", false},
        {R"({"a": 12345678901234567890})", false},
    };
    for (const Case& c : cases) EXPECT_EQ(RemoteReply::Parse(c.line).has_value(), c.ok) << c.line;
    EXPECT_EQ(RemoteReply::Parse(R"({"a": "\u00e9\ud83d\ude00\/"})")->Text("a"), "\xC3\xA9\xF0\x9F\x98\x80/");
}

}  // namespace
}  // namespace vr31k

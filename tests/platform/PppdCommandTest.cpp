// What reaches pppd: secrets never in its arguments or in the one shell string (the
// connect command), and the options file read back exactly as written.
#include "platform/DialupService.h"
#include "platform/linux/PppdCommand.h"

#include <gtest/gtest.h>

namespace vr31k {
namespace {

struct Nasty {
    const char* label;
    std::string user;
    std::string password;
};

const std::vector<Nasty>& NastyCredentials() {
    static const std::vector<Nasty> cases = {
        {"quotes", "o'brien\"x", "pa\"ss'wo\"rd"},
        {"spaces", "  lead and trail  ", "a b\tc"},
        {"dollar", "$USER", "$(id)${HOME}$$"},
        {"backticks", "`reboot`", "`id`;rm -rf /"},
        {"newlines", "line1\nconnect /bin/sh", "pw\nnoauth\r\n"},
        {"backslashes", "dom\\user\\", "\\\\x41\\101\\"},
        {"comment", "#user", "pw # not a comment"},
        {"octal-digit-after-control", "\x01" "234", "\x1f" "7"},
        {"utf8", "ユーザー", "パスワード"},
        {"empty", "", ""},
    };
    return cases;
}

TEST(PppdCommand, QuotedWordsReadBackExactly) {
    std::string every;
    for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
    std::vector<std::string> words = {every, "", "plain", "\"", "\\", "#", "a\nb"};
    for (const Nasty& n : NastyCredentials()) {
        words.push_back(n.user);
        words.push_back(n.password);
    }
    for (const std::string& word : words) {
        const auto back = SplitPppdWords("user " + QuotePppdWord(word) + " # trailing comment\n");
        ASSERT_EQ(back.size(), 2u) << word;
        EXPECT_EQ(back[1], word);
        EXPECT_EQ(QuotePppdWord(word).find('\n'), std::string::npos) << "a quoted word stays on one line";
    }
}

TEST(PppdCommand, CredentialsStayOutOfArgumentsAndTheShellString) {
    for (const Nasty& n : NastyCredentials()) {
        SCOPED_TRACE(n.label);
        PppdLaunch launch;
        ASSERT_EQ(BuildPppdLaunch(PppdSetup{}, {"/dev/ttyACM0", "*99***1#", n.user, n.password},
                                  "/run/user/1000/vr31k-dial-AbC123", launch),
                  0);
        for (const std::string& arg : launch.argv) {
            if (!n.user.empty()) {
                EXPECT_EQ(arg.find(n.user), std::string::npos) << arg;
            }
            if (!n.password.empty()) {
                EXPECT_EQ(arg.find(n.password), std::string::npos) << arg;
            }
        }
        if (!n.password.empty()) {
            EXPECT_EQ(launch.optionsText.find(n.password), std::string::npos) << "the password goes through a pipe";
        }
        EXPECT_EQ(launch.chatText.find(n.password.empty() ? "\x01" : n.password), std::string::npos);

        const auto words = SplitPppdWords(launch.optionsText);
        std::string user, connect;
        int users = 0;
        for (size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i] == "user") {
                user = words[i + 1];
                ++users;
            }
            if (words[i] == "connect") connect = words[i + 1];
            EXPECT_NE(words[i], "noauth") << "a credential must not smuggle an option in";
        }
        EXPECT_EQ(users, 1);
        EXPECT_EQ(user, n.user);
        EXPECT_EQ(connect, "/usr/sbin/chat -v -s -f /run/user/1000/vr31k-dial-AbC123/chat");
    }
}

TEST(PppdCommand, ArgumentsCallThePeerBeforeThePrivateOptions) {
    PppdLaunch launch;
    ASSERT_EQ(BuildPppdLaunch(PppdSetup{}, {"/dev/ttyACM0", "*99***3#", "kv", "kv"}, "/tmp/vr31k-dial-x", launch), 0);
    const std::vector<std::string> expected = {"/usr/sbin/pppd", "call", "vr31k-utility", "file",
                                               "/tmp/vr31k-dial-x/options"};
    EXPECT_EQ(launch.argv, expected);
    const auto words = SplitPppdWords(launch.optionsText);
    for (const char* wanted : {"/dev/ttyACM0", "115200", "crtscts", "nodetach", "passwordfd"}) {
        EXPECT_NE(std::find(words.begin(), words.end(), wanted), words.end()) << wanted;
    }
    EXPECT_NE(launch.chatText.find("OK \"ATD*99***3#\""), std::string::npos);
    EXPECT_NE(launch.chatText.find("ABORT \"NO CARRIER\""), std::string::npos);
}

TEST(PppdCommand, RefusesWhatCannotBeHandedOverSafely) {
    struct Case {
        const char* label;
        DialJob job;
        std::string dir;
        int expected;
    };
    const std::string longest(kMaxCredentialLength, 'x');
    const std::vector<Case> cases = {
        {"longest credentials", {"/dev/ttyACM0", "*99***1#", longest, longest}, "/tmp/d", 0},
        {"user too long", {"/dev/ttyACM0", "*99***1#", longest + "x", "p"}, "/tmp/d", dialerr::kInvalidSize},
        {"password too long", {"/dev/ttyACM0", "*99***1#", "u", longest + "x"}, "/tmp/d", dialerr::kInvalidSize},
        {"dial string with a quote", {"/dev/ttyACM0", "*99\"#", "u", "p"}, "/tmp/d", dialerr::kInvalidName},
        {"dial string with a shell word", {"/dev/ttyACM0", "*99;reboot", "u", "p"}, "/tmp/d", dialerr::kInvalidName},
        {"empty dial string", {"/dev/ttyACM0", "", "u", "p"}, "/tmp/d", dialerr::kInvalidName},
        {"relative port", {"ttyACM0", "*99#", "u", "p"}, "/tmp/d", dialerr::kPortNotAvailable},
        {"folder with a space", {"/dev/ttyACM0", "*99#", "u", "p"}, "/tmp/my dir", dialerr::kFileNotOpened},
        {"folder with a dollar", {"/dev/ttyACM0", "*99#", "u", "p"}, "/tmp/$x", dialerr::kFileNotOpened},
    };
    for (const Case& c : cases) {
        PppdLaunch launch;
        EXPECT_EQ(BuildPppdLaunch(PppdSetup{}, c.job, c.dir, launch), c.expected) << c.label;
    }
}

}  // namespace
}  // namespace vr31k

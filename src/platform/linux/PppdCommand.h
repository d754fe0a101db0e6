#pragma once
// What one dial hands to pppd: its argument vector (no secrets in it), the private
// options file (user name, tty, chat call) and the chat script. The password goes
// through a pipe read by the passwordfd plugin. Nothing here passes through a shell
// except chat's command line, which holds only fixed paths we have checked.
#include "platform/DialupService.h"

#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct PppdSetup {
    std::string pppdPath = "/usr/sbin/pppd";
    std::string chatPath = "/usr/sbin/chat";
    std::string peerName = kPppdPeerName;  // /etc/ppp/peers/<peerName>
    int chatAnswerTimeoutSeconds = 60;
};

struct DialJob {
    std::string port;  // the tty node
    std::string phoneNumber;
    std::string userName;
    std::string password;
};

struct PppdLaunch {
    std::vector<std::string> argv;
    std::string optionsText;  // for <privateDir>/options
    std::string chatText;     // for <privateDir>/chat
};

// The descriptor the child reads its password from.
inline constexpr int kPasswordFd = 3;

// 0, or 632 (a field too long for pppd), 633 (unusable port name), 123 (a number the
// modem cannot dial), 657 (a path the connect command cannot carry).
int BuildPppdLaunch(const PppdSetup& setup, const DialJob& job, const std::string& privateDir,
                    PppdLaunch& out);

// One word as pppd's options-file reader takes it back: quoted, with backslash escapes.
std::string QuotePppdWord(std::string_view word);
// Splits options text the way pppd's reader does (quotes, escapes, comments).
std::vector<std::string> SplitPppdWords(std::string_view text);

// Characters a modem dial string may hold: digits, * # + , and the dial modifiers.
bool IsDialablePhoneNumber(std::string_view number);
// A path safe inside a shell word without quoting: [A-Za-z0-9/._-], absolute.
bool IsPlainPath(std::string_view path);

}  // namespace vr31k

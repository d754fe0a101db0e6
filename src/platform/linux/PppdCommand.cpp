#include "platform/linux/PppdCommand.h"

#include "platform/DialupService.h"

#include <cctype>
#include <cstdio>

namespace vr31k {

bool IsDialablePhoneNumber(std::string_view number) {
    if (number.empty() || number.size() > kMaxPhoneNumberLength) return false;
    for (char c : number) {
        const bool ok = (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+' || c == ',' ||
                        c == 'P' || c == 'p' || c == 'T' || c == 't' || c == 'W' || c == 'w';
        if (!ok) return false;
    }
    return true;
}

bool IsPlainPath(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    for (char c : path) {
        const bool ok = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '/' || c == '.' ||
                        c == '_' || c == '-';
        if (!ok) return false;
    }
    return path.find("..") == std::string_view::npos;
}

std::string QuotePppdWord(std::string_view word) {
    std::string out = "\"";
    for (char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            // Always three octal digits, so a following digit is never swallowed.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

std::vector<std::string> SplitPppdWords(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            ++i;
            continue;
        }
        std::string word;
        char quote = 0;
        while (i < text.size()) {
            char d = text[i];
            if (d == '\\' && i + 1 < text.size()) {
                const char e = text[++i];
                if (e == '\n') { ++i; continue; }
                if (isOctal(e)) {
                    int value = 0;
                    for (int n = 0; n < 3 && i < text.size() && isOctal(text[i]); ++n, ++i) {
                        value = value * 8 + (text[i] - '0');
                    }
                    word += static_cast<char>(value);
                    continue;
                }
                static constexpr std::string_view kFrom = "abfnrst";
                static constexpr std::string_view kTo = "\a\b\f\n\r \t";
                const size_t k = kFrom.find(e);
                word += k == std::string_view::npos ? e : kTo[k];
                ++i;
                continue;
            }
            if (quote != 0) {
                if (d == quote) quote = 0;
                else word += d;
                ++i;
                continue;
            }
            if (d == '"' || d == '\'') {
                quote = d;
                ++i;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(d)) != 0 || d == '#') break;
            word += d;
            ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

int BuildPppdLaunch(const PppdSetup& setup, const DialJob& job, const std::string& privateDir,
                    PppdLaunch& out) {
    if (job.userName.size() > kMaxCredentialLength || job.password.size() > kMaxCredentialLength) {
        return dialerr::kInvalidSize;
    }
    if (job.port.empty() || job.port.front() != '/' || job.port.find('\0') != std::string::npos) {
        return dialerr::kPortNotAvailable;
    }
    if (!IsDialablePhoneNumber(job.phoneNumber)) return dialerr::kInvalidName;
    if (!IsPlainPath(setup.chatPath) || !IsPlainPath(privateDir)) return dialerr::kFileNotOpened;

    const std::string optionsPath = privateDir + "/options";
    const std::string chatPath = privateDir + "/chat";

    out = PppdLaunch{};
    // `call` first: the peers file loads the passwordfd plugin that the options file's
    // passwordfd option needs.
    out.argv = {setup.pppdPath, "call", setup.peerName, "file", optionsPath};

    std::string o;
    o += "# One dial of the VR31K utility; removed when the dial ends.\n";
    o += QuotePppdWord(job.port) + "\n";
    o += "115200\n";
    o += "crtscts\n";
    o += "nodetach\n";
    o += "debug\n";
    o += "noipdefault\n";
    o += std::string("ipparam ") + kOwnLinkParam + "\n";
    o += "connect " + QuotePppdWord(setup.chatPath + " -v -s -f " + chatPath) + "\n";
    o += "user " + QuotePppdWord(job.userName) + "\n";
    o += "passwordfd " + std::to_string(kPasswordFd) + "\n";
    out.optionsText = std::move(o);

    std::string c;
    c += "TIMEOUT 5\n";
    c += "ABORT \"BUSY\"\n";
    c += "ABORT \"NO CARRIER\"\n";
    c += "ABORT \"NO DIALTONE\"\n";
    c += "ABORT \"NO ANSWER\"\n";
    c += "ABORT \"ERROR\"\n";
    c += "\"\" \"AT\"\n";
    c += "OK \"ATD" + job.phoneNumber + "\"\n";
    c += "TIMEOUT " + std::to_string(setup.chatAnswerTimeoutSeconds) + "\n";
    c += "CONNECT \\c\n";
    out.chatText = std::move(c);
    return 0;
}

}  // namespace vr31k

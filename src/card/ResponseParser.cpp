#include "card/ResponseParser.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vr31k {
namespace {

constexpr std::string_view kFinalOk = "\r\nOK\r\n";
constexpr std::string_view kCmePrefix = "+CME ERROR: ";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

std::string_view SkipLineBreaks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsLineBreak(text[i])) ++i;
    return text.substr(i);
}

std::string_view FirstLine(std::string_view text) {
    const size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

// A decimal number at the start of `text` (no sign); false when there is no digit or it
// does not fit `limit`.
bool LeadingNumber(std::string_view text, unsigned limit, unsigned& value) {
    size_t i = 0;
    unsigned long long v = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        v = v * 10 + static_cast<unsigned>(text[i] - '0');
        if (v > limit) return false;
        ++i;
    }
    if (i == 0) return false;
    value = static_cast<unsigned>(v);
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// One line of a reply and the run of line breaks that follows it.
struct ReplyLine {
    std::string_view text;
    std::string_view breaks;
    bool complete;  // ended by its LF, or by a CR that has more after it
};

// Visits the lines of `reply` in order (the line breaks before the first are not
// visited); `visit` returns false to stop.
template <typename Visit>
void ForEachLine(std::string_view reply, Visit visit) {
    size_t pos = reply.find_first_not_of("\r\n");
    while (pos != std::string_view::npos) {
        const size_t end = std::min(reply.find_first_of("\r\n", pos), reply.size());
        const size_t next = std::min(reply.find_first_not_of("\r\n", end), reply.size());
        const bool complete = end < reply.size() && (reply[end] == '\n' || end + 1 < reply.size());
        if (!visit(ReplyLine{reply.substr(pos, end - pos), reply.substr(end, next - end), complete})) return;
        pos = next < reply.size() ? next : std::string_view::npos;
    }
}

bool IsDial(std::string_view command) {
    return command.size() >= 3 && EqualsIgnoringCase(command.substr(0, 3), "ATD");
}

// The name of the extended command in `command` ("+CPIN" of "AT+CPIN?", "+CMEE" of
// "ATE0Q0V1+CMEE=0"): its information lines begin with it and a colon. Empty for
// basic commands.
std::string_view CommandName(std::string_view command) {
    const size_t start = command.find_first_of("+^", 2);
    if (command.size() < 2 || start == std::string_view::npos) return {};
    const size_t end = command.find_first_of("=?", start);
    return command.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// "+XXX:" or "^XXX:": the form of every information line and unsolicited code with a
// name. "+CME ERROR: n" is not of it.
std::string_view CodeName(std::string_view line) {
    if (line.empty() || (line[0] != '+' && line[0] != '^')) return {};
    size_t i = 1;
    while (i < line.size() && std::isalnum(static_cast<unsigned char>(line[i]))) ++i;
    return i > 1 && i < line.size() && line[i] == ':' ? line.substr(0, i) : std::string_view();
}

// An unsolicited line or the command's own echo: neither is part of the answer.
bool IsNoise(std::string_view line, std::string_view command) {
    return IsUnsolicited(line, command) || (!command.empty() && line == command);
}

bool IsFinalLine(std::string_view line, bool dial) {
    static constexpr std::string_view kExact[] = {"OK", "ERROR", "BUSY", "NO DIALTONE", "NO ANSWER"};
    for (std::string_view f : kExact) {
        if (line == f) return true;
    }
    if (line == "NO CARRIER") return dial;
    if (line == "CONNECT" || line.starts_with("CONNECT ")) return true;
    unsigned n = 0;
    return ParseCmeError(line, n);
}

}  // namespace

bool IsUnsolicited(std::string_view line, std::string_view command) {
    if (line == "RING") return true;
    if (line == "NO CARRIER") return !IsDial(command);
    const std::string_view name = CodeName(line);
    return !name.empty() && !EqualsIgnoringCase(name, CommandName(command));
}

std::string WithoutUnsolicited(std::string_view reply, std::string_view command) {
    std::string out(reply.substr(0, std::min(reply.find_first_not_of("\r\n"), reply.size())));
    ForEachLine(reply, [&](const ReplyLine& line) {
        if (!IsNoise(line.text, command)) {
            out += line.text;
            out += line.breaks;
        }
        return true;
    });
    return out;
}

bool HasReplyLines(std::string_view reply, std::string_view command) {
    bool found = false;
    ForEachLine(reply, [&](const ReplyLine& line) {
        found = !IsNoise(line.text, command);
        return !found;
    });
    return found;
}

unsigned ParseFinalResult(std::string& reply, std::string& remainder, std::string_view command) {
    reply = WithoutUnsolicited(reply, command);
    if (reply.size() < 6) return CARD_ERR_FORMAT;
    if (reply.starts_with(kFinalOk)) {
        reply = "OK";
        remainder.clear();
        return CARD_OK;
    }
    if (const size_t p = reply.find(kFinalOk); p != std::string::npos) {
        const std::string line(FirstLine(SkipLineBreaks(std::string_view(reply).substr(0, p))));
        reply = line;
        remainder.clear();
        return CARD_OK;
    }
    const std::string_view rest = SkipLineBreaks(reply);
    const std::string_view line = FirstLine(rest);
    const size_t after = std::min(rest.size(), line.size() + 2);
    remainder = std::string(rest.substr(after));
    reply = std::string(line);
    return CARD_ERR_FORMAT;
}

bool ParseCmeError(std::string_view line, unsigned& number) {
    if (!line.starts_with(kCmePrefix)) return false;
    return LeadingNumber(line.substr(kCmePrefix.size()), CME_MAX_NUMBER, number);
}

unsigned ParseSubscriberNumber(std::string_view line, std::string& number, int& type) {
    number.clear();
    type = 0;
    if (line == "OK") return CARD_OK;
    if (line.starts_with(kCmePrefix)) {
        unsigned n = 0;
        return ParseCmeError(line, n) ? CME_ERROR_BASE + n : CARD_ERR_FORMAT;
    }
    // Only an empty name field is accepted.
    if (!line.starts_with("+CNUM: ,") && !line.starts_with("+CNUM:,")) return CARD_ERR_FORMAT;
    const size_t open = line.find('"');
    if (open == std::string_view::npos) return CARD_ERR_FORMAT;
    const size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) return CARD_ERR_FORMAT;
    const size_t comma = line.find(',', close + 1);
    if (comma == std::string_view::npos) return CARD_ERR_FORMAT;
    unsigned t = 0;
    std::string_view typeText = line.substr(comma + 1);
    while (!typeText.empty() && typeText.front() == ' ') typeText.remove_prefix(1);
    if (!LeadingNumber(typeText, 0xFFFF, t)) return CARD_ERR_FORMAT;
    number = std::string(line.substr(open + 1, close - open - 1));
    type = static_cast<int>(t);
    return CARD_OK;
}

void ParsePdpContexts(std::string_view reply, PdpContextList& list) {
    constexpr std::string_view kPrefix = "+CGDCONT: ";
    for (auto& slot : list) slot.clear();
    ForEachLine(reply, [&](const ReplyLine& replyLine) {
        const std::string_view line = replyLine.text;
        if (!line.starts_with(kPrefix)) return true;

        std::vector<std::string_view> tokens;
        std::string_view rest = line.substr(kPrefix.size());
        size_t i = 0;
        while (tokens.size() < 3) {
            i = rest.find_first_not_of(" ,\r\n", i);
            if (i == std::string_view::npos) break;
            size_t j = rest.find_first_of(" ,\r\n", i);
            if (j == std::string_view::npos) j = rest.size();
            tokens.push_back(rest.substr(i, j - i));
            i = j;
        }
        unsigned id = 0;
        if (tokens.size() < 3 || !LeadingNumber(tokens[0], 1000, id)) return true;
        if (id < 1 || id > static_cast<unsigned>(kPdpContextCount)) return true;  // no slot for it
        std::string apn;
        for (char c : tokens[2]) {
            if (c != '"') apn.push_back(c);
        }
        if (!apn.empty()) list[id - 1] = std::move(apn);
        return true;
    });
    for (size_t j = 0; j + 1 < list.size(); ++j) {
        if (list[j].empty()) continue;
        for (size_t k = j + 1; k < list.size(); ++k) {
            if (EqualsIgnoringCase(list[j], list[k])) list[k].clear();
        }
    }
}

unsigned SimStateOfLine(std::string_view line) {
    if (line == "+CPIN: READY") return SIM_READY;
    if (line == "+CPIN: SIM PIN") return SIM_PIN_REQUIRED;
    if (line == "+CPIN: SIM PUK") return SIM_PUK_REQUIRED;
    unsigned n = 0;
    if (ParseCmeError(line, n)) {
        switch (n) {
            case CME_SIM_NOT_INSERTED: return SIM_NOT_INSERTED;
            case CME_SIM_FAILURE: return SIM_FAILURE;
            case CME_SIM_BUSY: return SIM_BUSY;
            case CME_SIM_WRONG: return SIM_WRONG;
            default: break;
        }
    }
    return CARD_ERR_FORMAT;
}

unsigned PinLockStateOfLine(std::string_view line) {
    constexpr std::string_view kPrefix = "+CLCK: ";
    unsigned n = 0;
    if (ParseCmeError(line, n)) return CME_ERROR_BASE + n;
    if (!line.starts_with(kPrefix) || !LeadingNumber(line.substr(kPrefix.size()), 1, n)) return CARD_ERR_FORMAT;
    return n == 0 ? PIN_LOCK_OFF : PIN_LOCK_ON;
}

int AntennaLevelOfLine(std::string_view line) {
    return !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) ? line[0] - '0' : 0;
}

int AttemptsOfLine(std::string_view line) {
    constexpr unsigned kMostAttempts = 99999;  // a longer number is no count a SIM keeps
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) return 0;
    unsigned value = kMostAttempts;
    LeadingNumber(line, kMostAttempts, value);  // leaves the most when it does not fit
    return static_cast<int>(value);
}

bool HasFinalResult(std::string_view reply, std::string_view command) {
    const bool dial = IsDial(command);
    bool found = false;
    ForEachLine(reply, [&](const ReplyLine& line) {
        found = line.complete && IsFinalLine(line.text, dial);
        return !found;
    });
    return found;
}

EchoCut CutEcho(std::string& reply, std::string_view echo) {
    if (echo.empty()) return EchoCut::None;
    if (reply.size() < echo.size()) {
        return std::string_view(echo).starts_with(reply) && !reply.empty() ? EchoCut::Partial : EchoCut::None;
    }
    if (!std::string_view(reply).starts_with(echo)) return EchoCut::None;
    reply.erase(0, echo.size());
    return EchoCut::Stripped;
}

}  // namespace vr31k

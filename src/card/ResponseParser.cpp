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

bool IsFinalLine(std::string_view line) {
    static constexpr std::string_view kExact[] = {"OK", "ERROR", "NO CARRIER", "BUSY", "NO DIALTONE", "NO ANSWER"};
    for (std::string_view f : kExact) {
        if (line == f) return true;
    }
    if (line == "CONNECT" || line.starts_with("CONNECT ")) return true;
    unsigned n = 0;
    return ParseCmeError(line, n);
}

}  // namespace

unsigned ParseFinalResult(std::string& reply, std::string& remainder) {
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
    size_t pos = 0;
    while (pos < reply.size()) {
        const size_t start = reply.find_first_not_of("\r\n", pos);
        if (start == std::string_view::npos) break;
        size_t end = reply.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = reply.size();
        const std::string_view line = reply.substr(start, end - start);
        pos = end;
        if (!line.starts_with(kPrefix)) continue;

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
        if (tokens.size() < 3 || !LeadingNumber(tokens[0], 1000, id)) continue;
        if (id < 1 || id > static_cast<unsigned>(kPdpContextCount)) continue;  // no slot for it
        std::string apn;
        for (char c : tokens[2]) {
            if (c != '"') apn.push_back(c);
        }
        if (!apn.empty()) list[id - 1] = std::move(apn);
    }
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

bool HasFinalResult(std::string_view reply) {
    size_t pos = 0;
    while (pos < reply.size()) {
        const size_t start = reply.find_first_not_of("\r\n", pos);
        if (start == std::string_view::npos) return false;
        const size_t end = reply.find_first_of("\r\n", start);
        if (end == std::string_view::npos) return false;  // the line is still arriving
        // A line is complete at its LF; a lone CR at the very end may still get its LF.
        const bool complete = reply[end] == '\n' || (end + 1 < reply.size());
        if (complete && IsFinalLine(reply.substr(start, end - start))) return true;
        pos = end;
    }
    return false;
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

#include "platform/linux/CardErrorReport.h"

#include "platform/linux/Machine.h"

#include "platform/SerialPort.h"

#include <chrono>

namespace vr31k {

std::string ErrorReportIn(std::string_view reply) {
    constexpr std::string_view kTag = "+CEER:";
    const size_t at = reply.find(kTag);
    if (at == std::string_view::npos) return {};
    std::string_view text = reply.substr(at + kTag.size());
    text = text.substr(0, text.find_first_of("\r\n"));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    // Printable text only: it is shown to the user as it comes.
    std::string clean;
    for (char c : text) clean += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    return clean.empty() ? std::string() : std::string(kTag) + " " + clean;
}

std::string AskCardWhyItRefused(const std::string& port, int timeoutMs) {
    const auto line = MakeSerialPort();
    if (line->Open(port, true) != SerialOpenResult::Ok) return {};
    static constexpr std::string_view kAsk = "AT+CEER\r";
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t sent = 0;
    std::string reply;
    // A reply is a few lines; more than this is not an answer to the question.
    constexpr size_t kMostReply = 4096;
    while (reply.size() < kMostReply) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const SerialWaitResult ready = line->Wait(sent < kAsk.size(), static_cast<int>(left.count()));
        if (ready.failed) break;
        if (sent < kAsk.size() && ready.writable) {
            const long n = line->Write(kAsk.data() + sent, kAsk.size() - sent);
            if (n < 0) break;
            sent += static_cast<size_t>(n);
        }
        if (ready.readable) {
            char buffer[512];
            const long n = line->Read(buffer, sizeof buffer);
            if (n < 0) break;
            reply.append(buffer, static_cast<size_t>(n));
            if (reply.find("\r\nOK\r\n") != std::string::npos || reply.find("ERROR") != std::string::npos) break;
        }
    }
    line->Close();
    return ErrorReportIn(reply);
}

}  // namespace vr31k

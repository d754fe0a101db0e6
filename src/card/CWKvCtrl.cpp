#include "card/CWKvCtrl.h"

#include "common/WaitShare.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <thread>

namespace vr31k {
namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool AllDigits(std::string_view code) {
    return !code.empty() && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Characters that would end or break the quoted APN of the command line.
bool SafeInQuotes(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return c == '"' || std::iscntrl(static_cast<unsigned char>(c)); });
}

}  // namespace

CardTimings DefaultCardTimings() {
    CardTimings timings;
    for (int* ms : {&timings.commandTimeoutMs, &timings.codeTimeoutMs, &timings.reopenPauseMs,
                    &timings.openRetryDelayMs, &timings.taskBudgetMs}) {
        *ms = ShareOfWaitMs(*ms);
    }
    return timings;
}

CWKvCtrl::CWKvCtrl(CardTimings timings, std::unique_ptr<ISerialPort> port, std::unique_ptr<IDeviceInhibit> inhibit)
    : CWCommCtrl(timings.openRetryDelayMs, std::move(port), std::move(inhibit)), m_timings(timings) {}

// The reader signals m_responseEvent, a member of this class: stop it before the
// member goes away.
CWKvCtrl::~CWKvCtrl() { Close(); }

int CWKvCtrl::ReceiveCallback(void* context) {
    static_cast<CWKvCtrl*>(context)->m_responseEvent.Set();
    return 0;
}

// Runs on the reader thread, which does not know the command in flight: this engine
// never dials, so a final line needs no command to be recognised. The main thread's
// own check, with the command, has the last word.
bool CWKvCtrl::EndsChunk(std::string_view pending) const { return HasFinalResult(pending, {}); }

unsigned CWKvCtrl::OpenPort(const std::string& portName, bool flowControl) {
    m_cardLost = false;  // a new task: the card gets its chance again
    m_charged = {};
    m_idleSince = Clock::now();
    return Reopen(portName, flowControl);
}

unsigned CWKvCtrl::Reopen(const std::string& portName, bool flowControl, int retryDelayMs) {
    m_lastPortName = portName;
    m_responseEvent.Reset();
    SetReceiveCallback(&CWKvCtrl::ReceiveCallback, this);
    if (Open(portName, flowControl, retryDelayMs) != COMM_OK) return CARD_ERR_OPEN;
    if (flowControl && SetFlowControl(1) != COMM_OK) return CARD_ERR_PORT_SETUP;
    CommTimeouts timeouts;
    timeouts.readInterval = 1;
    if (SetTimeouts(timeouts) != COMM_OK) return CARD_ERR_PORT_SETUP;
    return CARD_OK;
}

unsigned CWKvCtrl::ClosePort() {
    m_cardLost = false;
    if (Close() != COMM_OK) return CARD_ERR_CLOSE;
    m_responseEvent.Reset();
    return CARD_OK;
}

unsigned CWKvCtrl::SendCommand(std::string_view command) {
    std::string line(command);
    line.push_back('\r');
    int result = WriteString(line);
    if (result == COMM_ERR_OPEN && !m_lastPortName.empty()) {  // never opened: nothing to reopen
        Reopen(m_lastPortName, true);
        Pause(m_timings.reopenPauseMs);
        result = WriteString(line);
    }
    return result == COMM_OK ? CARD_OK : CARD_ERR_SEND;
}

unsigned CWKvCtrl::CollectResponse(std::string& reply, int timeoutMs, bool clear, std::string_view command) {
    return CollectUntil(reply, Clock::now() + std::chrono::milliseconds(timeoutMs), clear, command);
}

unsigned CWKvCtrl::CollectUntil(std::string& reply, Clock::time_point deadline, bool clear, std::string_view command) {
    if (clear) reply.clear();
    const size_t start = reply.size();
    const std::string echo = command.empty() ? std::string() : std::string(command) + '\r';
    bool echoSettled = echo.empty();
    std::string chunk;
    // A card may send the echo, the information line and the final result in separate
    // bursts, with unsolicited lines anywhere: keep collecting until a final result line
    // is there. A card that keeps sending keeps the event set: the deadline still holds.
    while (Clock::now() < deadline && m_responseEvent.WaitUntil(deadline)) {
        while (ReadString(chunk) == COMM_OK) reply += chunk;
        if (reply.size() - start > kMaxReply) {
            reply.resize(start);
            return CARD_ERR_TIMEOUT;
        }
        if (!echoSettled) {
            std::string received = reply.substr(start);
            const EchoCut cut = CutEcho(received, echo);
            if (cut == EchoCut::Partial) continue;
            reply.replace(start, std::string::npos, received);
            echoSettled = true;
        }
        if (HasFinalResult(std::string_view(reply).substr(start), command)) return CARD_OK;
    }
    // Time-out: what arrived (a reply without a final line) is left to the parser;
    // unsolicited lines alone are no reply.
    while (ReadString(chunk) == COMM_OK && reply.size() - start <= kMaxReply) reply += chunk;
    if (reply.size() - start > kMaxReply) {
        reply.resize(start);
        return CARD_ERR_TIMEOUT;
    }
    if (!echoSettled) {
        std::string received = reply.substr(start);
        if (CutEcho(received, echo) == EchoCut::Partial) received.clear();
        reply.replace(start, std::string::npos, received);
    }
    return HasReplyLines(std::string_view(reply).substr(start), command) ? CARD_OK : CARD_ERR_TIMEOUT;
}

void CWKvCtrl::DiscardReceived() {
    std::string chunk;
    while (ReadString(chunk) == COMM_OK) {
    }
    m_responseEvent.Reset();
}

unsigned CWKvCtrl::Transact(std::string_view command, std::string& reply, int timeoutMs, int attempts) {
    reply.clear();
    // A card that left one command unanswered through all its attempts, or could not be
    // written to at all, has fallen silent or gone: the rest of the task fails at once
    // instead of waiting out every command's attempts (and reopenings) in turn.
    if (m_cardLost) return CARD_ERR_TIMEOUT;
    const Clock::time_point entered = Clock::now();
    m_charged = std::max(Clock::duration::zero(), m_charged - (entered - m_idleSince));
    const Clock::time_point budgetEnd = entered + std::chrono::milliseconds(m_timings.taskBudgetMs) - m_charged;
    unsigned result = CARD_ERR_TIMEOUT;
    for (int attempt = 1; attempt <= attempts && result != CARD_OK && Clock::now() < budgetEnd; ++attempt) {
        DiscardReceived();
        if (SendCommand(command) != CARD_OK) {
            result = CARD_ERR_SEND;
            break;
        }
        result = CollectUntil(reply, std::min(Clock::now() + std::chrono::milliseconds(timeoutMs), budgetEnd), true,
                              command);
        if (attempt == attempts || result == CARD_OK || Clock::now() >= budgetEnd) break;
        CloseLine();
        Pause(m_timings.reopenPauseMs);
        // The second open's pause comes out of the budget too.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(budgetEnd - Clock::now()).count();
        const int retryDelayMs = static_cast<int>(std::clamp<long long>(left, 0, m_timings.openRetryDelayMs));
        if (Reopen(m_lastPortName, true, retryDelayMs) != CARD_OK) break;  // the port is gone
    }
    m_idleSince = Clock::now();
    m_charged += m_idleSince - entered;
    if (result == CARD_ERR_TIMEOUT || result == CARD_ERR_SEND) m_cardLost = true;
    return result;
}

unsigned CWKvCtrl::InfoQuery(std::string_view command, std::string& line) {
    for (int pass = 0; pass < kPasses; ++pass) {
        std::string reply, remainder;
        if (Transact(command, reply, m_timings.commandTimeoutMs, kAttempts) != CARD_OK) return CARD_ERR_TRANSACT;
        if (ParseFinalResult(reply, remainder, command) != CARD_OK) return CARD_ERR_RESULT;
        if (reply != "OK") {
            line = reply;
            return CARD_OK;
        }
    }
    return CARD_ERR_NOINFO;
}

unsigned CWKvCtrl::SimpleCommand(const std::string& command) {
    std::string reply, remainder;
    if (Transact(command, reply, m_timings.commandTimeoutMs, kAttempts) != CARD_OK) return CARD_ERR_TRANSACT;
    return ParseFinalResult(reply, remainder, command) == CARD_OK ? CARD_OK : CARD_ERR_RESULT;
}

unsigned CWKvCtrl::CodeCommand(const std::string& command) {
    std::string reply, remainder;
    if (Transact(command, reply, m_timings.codeTimeoutMs, 1) != CARD_OK) return CARD_ERR_TRANSACT;
    const unsigned parsed = ParseFinalResult(reply, remainder, command);
    unsigned n = 0;
    if (ParseCmeError(reply, n)) return CME_ERROR_BASE + n;
    return parsed == CARD_OK ? CARD_OK : CARD_ERR_RESULT;
}

unsigned CWKvCtrl::Initialize() { return SimpleCommand("ATE0Q0V1+CMEE=0"); }

unsigned CWKvCtrl::SetErrorReporting(int mode) { return SimpleCommand("AT+CMEE=" + std::to_string(mode)); }

unsigned CWKvCtrl::GetManufacturer(std::string& text) { return InfoQuery("ATI0", text); }

unsigned CWKvCtrl::GetModel(std::string& text) { return InfoQuery("ATI1", text); }

unsigned CWKvCtrl::GetFirmwareVersion(std::string& text) { return InfoQuery("AT+GMR", text); }

unsigned CWKvCtrl::GetSubscriberNumber(std::string& number, int& type) {
    std::string reply, remainder;
    number.clear();
    type = 0;
    constexpr std::string_view kCommand = "AT+CNUM";
    if (Transact(kCommand, reply, m_timings.commandTimeoutMs, kAttempts) != CARD_OK) return CARD_ERR_TRANSACT;
    ParseFinalResult(reply, remainder, kCommand);
    return ParseSubscriberNumber(reply, number, type);
}

unsigned CWKvCtrl::GetAntennaLevel(int& level) {
    std::string line;
    if (const unsigned r = InfoQuery("AT##EANT", line); r != CARD_OK) return r;
    level = AntennaLevelOfLine(line);
    return CARD_OK;
}

unsigned CWKvCtrl::GetRemainingAttempts(int& count) {
    std::string line;
    if (const unsigned r = InfoQuery("AT##ERCN", line); r != CARD_OK) return r;
    count = AttemptsOfLine(line);
    return CARD_OK;
}

// The line of a query that is repeated while the card answers only "OK".
unsigned CWKvCtrl::QueryLine(std::string_view command, int attempts, std::string& line) {
    for (int pass = 0; pass < kPasses; ++pass) {
        std::string remainder;
        if (Transact(command, line, m_timings.commandTimeoutMs, attempts) != CARD_OK) return CARD_ERR_TRANSACT;
        ParseFinalResult(line, remainder, command);
        if (line != "OK") break;
    }
    return CARD_OK;
}

unsigned CWKvCtrl::GetSimState() {
    std::string line;
    if (QueryLine("AT+CPIN?", kAttempts, line) != CARD_OK) return CARD_ERR_TRANSACT;
    return SimStateOfLine(line);
}

unsigned CWKvCtrl::GetPinLockState() {
    std::string line;
    if (QueryLine("AT+CLCK=\"SC\",2", kPinLockAttempts, line) != CARD_OK) return CARD_ERR_TRANSACT;
    return PinLockStateOfLine(line);
}

unsigned CWKvCtrl::EnterPin(std::string_view code, std::optional<std::string_view> newPin) {
    if (!AllDigits(code) || (newPin && !AllDigits(*newPin))) return CARD_ERR_FORMAT;
    std::string command = "AT+CPIN=\"" + std::string(code) + "\"";
    if (newPin) command += ",\"" + std::string(*newPin) + "\"";
    return CodeCommand(command);
}

unsigned CWKvCtrl::SetPinLock(int mode, std::string_view pin) {
    if (!AllDigits(pin)) return CARD_ERR_FORMAT;
    return CodeCommand("AT+CLCK=\"SC\"," + std::to_string(mode) + ",\"" + std::string(pin) + "\"");
}

unsigned CWKvCtrl::ChangePin(std::string_view oldPin, std::string_view newPin) {
    if (!AllDigits(oldPin) || !AllDigits(newPin)) return CARD_ERR_FORMAT;
    return CodeCommand("AT+CPWD=\"SC\",\"" + std::string(oldPin) + "\",\"" + std::string(newPin) + "\"");
}

unsigned CWKvCtrl::SetPdpContext(int contextId, std::optional<std::string_view> apn) {
    std::string command;
    if (contextId < 1) {
        command = "AT+CGDCONT=";
    } else if (!apn) {
        command = "AT+CGDCONT=" + std::to_string(contextId);
    } else {
        if (!SafeInQuotes(*apn)) return CARD_ERR_FORMAT;
        command = "AT+CGDCONT=" + std::to_string(contextId) + ",\"IP\",\"" + std::string(*apn) + "\"";
    }
    return SimpleCommand(command);
}

unsigned CWKvCtrl::GetPdpContexts(PdpContextList& list) {
    std::string reply;
    for (auto& slot : list) slot.clear();
    if (Transact("AT+CGDCONT?", reply, m_timings.commandTimeoutMs, kAttempts) != CARD_OK) return CARD_ERR_TRANSACT;
    // A refused query is not an empty table.
    if (reply.find("\r\nOK\r\n") == std::string::npos) return CARD_ERR_RESULT;
    ParsePdpContexts(reply, list);
    return CARD_OK;
}

}  // namespace vr31k

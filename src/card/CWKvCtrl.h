#pragma once
// The card controller: a synchronous AT command engine over the serial channel. Every
// operation sends one command line, waits for the reply and turns it into a card
// result code (card/CardResults.h). Callers run one operation at a time.
#include "card/AutoResetEvent.h"
#include "card/CWCommCtrl.h"
#include "card/ResponseParser.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

// Waiting times in milliseconds. The product uses the defaults; tests shorten them.
struct CardTimings {
    int commandTimeoutMs = 3000;   // per attempt
    int codeTimeoutMs = 6000;      // commands that carry a PIN or PUK
    int reopenPauseMs = 100;       // between close and reopen inside the engine
    int openRetryDelayMs = CWCommCtrl::kOpenRetryDelayMs;
    // What a stretch of a task's commands may cost in all, attempts and reopenings
    // included: a card that answers too late, too much or not at all holds its caller
    // no longer than this, however many commands and attempts are left.
    int taskBudgetMs = 10000;
};
// The defaults at the process's share of its waits (common/WaitShare.h), every one in
// the same proportion: a task fails after the same commands and attempts, sooner.
CardTimings DefaultCardTimings();

class CWKvCtrl : public CWCommCtrl {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kAttempts = 3;
    static constexpr int kPinLockAttempts = 5;
    static constexpr int kPasses = 3;
    // The longest reply taken. Real replies are a few hundred bytes (the context table,
    // ten lines, is the longest); 64 KiB leaves room for any burst of unsolicited lines
    // among them, and more is a card that does not stop sending.
    static constexpr size_t kMaxReply = 64 * 1024;

    CWKvCtrl(CardTimings timings, std::unique_ptr<ISerialPort> port, std::unique_ptr<IDeviceInhibit> inhibit);
    ~CWKvCtrl() override;

    // Engine. One task runs from OpenPort to ClosePort: once a command of it has had no
    // answer through all its attempts, or could not be sent, its later commands fail at
    // once (a silent or pulled card fails the task in one command's time, not in every
    // command's). The commands of a task share the budget of CardTimings: what they
    // spend is charged, and the time the caller spends elsewhere between them (a prompt,
    // the pause of a periodic reading) is given back; once it is spent the card counts
    // as silent.
    unsigned OpenPort(const std::string& portName, bool flowControl);
    unsigned ClosePort();
    unsigned SendCommand(std::string_view command);
    // Collects one reply to `command`: waits until it holds a final result line or the
    // time-out passes. A leading echo of the command is removed. CARD_OK with whatever
    // arrived, CARD_ERR_TIMEOUT when nothing did (or only unsolicited lines) or when more
    // than kMaxReply came (nothing of it is kept).
    unsigned CollectResponse(std::string& reply, int timeoutMs, bool clear, std::string_view command = {});
    unsigned Transact(std::string_view command, std::string& reply, int timeoutMs, int attempts);

    // Commands. Send them after OpenPort, Initialize and SetErrorReporting(1).
    unsigned Initialize();
    unsigned SetErrorReporting(int mode);
    unsigned GetManufacturer(std::string& text);
    unsigned GetModel(std::string& text);
    unsigned GetFirmwareVersion(std::string& text);
    unsigned GetSubscriberNumber(std::string& number, int& type);
    unsigned GetAntennaLevel(int& level);
    unsigned GetSimState();
    unsigned GetRemainingAttempts(int& count);
    // PIN, or PUK with the new PIN. Codes must be digits (CARD_ERR_FORMAT otherwise,
    // nothing sent). Sent once: a wrong code is never repeated.
    unsigned EnterPin(std::string_view code, std::optional<std::string_view> newPin = std::nullopt);
    unsigned GetPinLockState();
    unsigned SetPinLock(int mode, std::string_view pin);
    unsigned ChangePin(std::string_view oldPin, std::string_view newPin);
    // id < 1 clears the whole table; no APN undefines context `id`. An APN with a
    // quote or a control character is refused (CARD_ERR_FORMAT, nothing sent).
    unsigned SetPdpContext(int contextId, std::optional<std::string_view> apn);
    unsigned GetPdpContexts(PdpContextList& list);

    const CardTimings& Timings() const { return m_timings; }

protected:
    // A reply is complete with its final result line: nothing after it belongs to it.
    bool EndsChunk(std::string_view pending) const override;

private:
    static int ReceiveCallback(void* context);
    // OpenPort inside a task (between attempts): the task's state stays.
    unsigned Reopen(const std::string& portName, bool flowControl, int retryDelayMs = -1);
    unsigned CollectUntil(std::string& reply, Clock::time_point deadline, bool clear, std::string_view command);
    void DiscardReceived();
    unsigned InfoQuery(std::string_view command, std::string& line);
    unsigned QueryLine(std::string_view command, int attempts, std::string& line);
    unsigned CodeCommand(const std::string& command);
    unsigned SimpleCommand(const std::string& command);

    const CardTimings m_timings;
    AutoResetEvent m_responseEvent;
    std::string m_lastPortName;
    bool m_cardLost = false;
    Clock::duration m_charged{};  // of the task's budget
    Clock::time_point m_idleSince{};
};

}  // namespace vr31k

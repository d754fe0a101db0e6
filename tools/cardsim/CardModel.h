#pragma once
// The simulated VR31K card without its line: one command line in, the card's echo and
// reply out. It keeps everything the card keeps (echo and error reporting modes, the
// SIM with its PIN and PUK counters, the PIN lock, the packet-context table, signal
// level, identity) and answers as the card does. The pty server (CardSimulator.h)
// feeds it and shapes the bytes on the line; tests can also drive it directly.
//
// Not thread-safe: its owner serialises every call.
#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k::sim {

enum class SimState { Ready, PinRequired, PukRequired, Busy, Failure, Wrong, NotInserted, Blocked };

bool ParseSimState(std::string_view text, SimState& state);

// What the card is at power-on.
struct CardSettings {
    std::string manufacturer = "KORVANE";
    std::string model = "VR31K";
    std::string firmware = "VR31K-1.02.004";
    std::string number = "09012345678";  // empty: no number stored
    int signal = 3;
    SimState sim = SimState::Ready;
    bool pinLock = false;
    std::string pin = "1234";
    std::string puk = "12345678";
    int pinAttempts = 3;
    int pukAttempts = 10;
};

struct CardReply {
    std::string echo;   // the command line and CR while echo is on, else empty
    std::string reply;  // empty for a line that is no AT command
    bool dial = false;  // an answer to ATD: after CONNECT the data would follow
};

// A setting's number: up to 9 decimal digits, no sign.
bool ParseSettingNumber(std::string_view text, int& value);

class CardModel {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxPinAttempts = 3;
    static constexpr int kMaxPukAttempts = 10;
    static constexpr int kContexts = 10;

    explicit CardModel(CardSettings settings = {});

    // The answer to one command line (without its CR) received at `now`.
    CardReply Handle(std::string_view line, Clock::time_point now = Clock::now());

    void SetSimState(SimState state);
    // Busy for `ms` after `now` (negative: for ever), then `after`.
    void SetBusy(int ms, SimState after, Clock::time_point now = Clock::now());
    void SetSignal(int level) { m_card.signal = level; }
    void SetIdentity(std::string manufacturer, std::string model);
    void SetNumber(std::string number) { m_card.number = std::move(number); }
    void SetPinLock(bool on) { m_card.pinLock = on; }
    void SetAttempts(int pinAttempts, int pukAttempts);
    void SetContext(int id, std::string apn);  // apn empty: undefined
    // One setting by its control name (sim=pin, signal=2, pinlock=on, ...); false for an
    // unknown name or a value it does not take.
    bool Set(std::string_view key, const std::string& value, Clock::time_point now = Clock::now());

    SimState State() const { return m_card.sim; }
    const std::string& Pin() const { return m_card.pin; }
    bool PinLock() const { return m_card.pinLock; }
    int PinAttempts() const { return m_card.pinAttempts; }
    int PukAttempts() const { return m_card.pukAttempts; }
    std::string Context(int id) const;

private:
    std::string Answer(std::string_view command, Clock::time_point now);
    std::string AnswerOne(std::string_view command, Clock::time_point now);
    std::string Cme(int n) const;
    std::string SimError() const;  // the error of a SIM that is not ready
    SimState CurrentState(Clock::time_point now);
    std::string CheckPin(std::string_view code, bool& ok);
    std::string EnterCode(const std::vector<std::string>& args, SimState state);
    std::string SetContextCommand(std::string_view args);

    CardSettings m_card;
    std::array<std::string, kContexts> m_contexts;
    bool m_echo = true;
    int m_cmee = 0;
    std::string m_lastDialFailure = "No cause information available";  // AT+CEER's answer
    Clock::time_point m_busyUntil{};
    bool m_busyForever = false;
    SimState m_afterBusy = SimState::Ready;
};

}  // namespace vr31k::sim

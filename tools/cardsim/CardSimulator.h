#pragma once
// A simulated VR31K card on a pseudo-terminal: it answers the card's AT command set as
// the card does (echo until ATE0, numeric +CME errors after AT+CMEE=1, a SIM that
// counts PIN and PUK attempts, the packet-context table) and produces faults on
// demand. Tests run it in-process; vr31k-cardsim runs it as a program. Nothing in the
// product depends on it.
//
// Threads: the simulator's own thread serves the pty; every setter and getter may be
// called from any thread (one mutex guards the card's state).
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vr31k::sim {

enum class SimState { Ready, PinRequired, PukRequired, Busy, Failure, Wrong, NotInserted, Blocked };
enum class Fault {
    None,
    Silent,     // no answer at all, not even the echo
    EchoFirst,  // the echo of the command arrives alone, the reply after a pause
    Split,      // every line of the reply is its own burst, with a pause between
    Garbage,    // junk lines and no final result
};

struct SimOptions {
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
    Fault fault = Fault::None;
    int burstPauseMs = 20;
};

bool ParseSimState(std::string_view text, SimState& state);
bool ParseFault(std::string_view text, Fault& fault);

class CardSimulator {
public:
    static constexpr int kMaxPinAttempts = 3;
    static constexpr int kMaxPukAttempts = 10;

    explicit CardSimulator(SimOptions options = {});
    ~CardSimulator();
    CardSimulator(const CardSimulator&) = delete;
    CardSimulator& operator=(const CardSimulator&) = delete;

    // Opens the pseudo-terminal and starts serving. False with `error` set on failure.
    bool Start(std::string& error);
    void Stop();
    // The path a program opens as the card's port (the pty's slave).
    const std::string& PortPath() const { return m_portPath; }
    // Takes the card away: the port's user sees the line hang up.
    void Unplug();

    void SetSimState(SimState state);
    // Busy for `ms` (negative: for ever), then `after`.
    void SetBusy(int ms, SimState after);
    void SetSignal(int level);
    void SetFault(Fault fault);
    void SetIdentity(std::string manufacturer, std::string model);
    void SetNumber(std::string number);
    void SetPinLock(bool on);
    void SetAttempts(int pinAttempts, int pukAttempts);
    void SetContext(int id, std::string apn);  // apn empty: undefined

    // "key=value" words separated by spaces (sim=pin signal=2 fault=silent ...), as the
    // control socket of vr31k-cardsim takes them. False with `answer` saying why.
    bool Control(std::string_view line, std::string& answer);

    // Observations.
    std::vector<std::string> Commands() const;  // command lines received, in order
    void ClearCommands();
    SimState State() const;
    std::string Pin() const;
    bool PinLock() const;
    int PinAttempts() const;
    int PukAttempts() const;
    std::string Context(int id) const;

private:
    void Serve();
    void HandleLine(const std::string& line);
    std::string Answer(const std::string& command);  // under m_mutex
    std::string AnswerOne(std::string_view command);
    std::string Info(std::string_view text) const;
    std::string Ok() const;
    std::string Error() const;
    std::string Cme(int n) const;
    std::string SimError() const;  // the error of a SIM that is not ready
    SimState CurrentState();
    std::string CheckPinCommand(std::string_view code, bool& ok);
    void Send(std::string_view bytes);

    mutable std::mutex m_mutex;
    SimOptions m_card;
    std::array<std::string, 10> m_contexts;
    bool m_echo = true;
    int m_cmee = 0;
    std::chrono::steady_clock::time_point m_busyUntil{};
    bool m_busyForever = false;
    SimState m_afterBusy = SimState::Ready;
    std::vector<std::string> m_commands;

    int m_master = -1;
    int m_slaveHold = -1;  // keeps the line up while no program has the port open
    int m_stopFd = -1;
    std::string m_portPath;
    std::thread m_thread;
};

}  // namespace vr31k::sim

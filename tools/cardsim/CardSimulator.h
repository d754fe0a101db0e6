#pragma once
// A simulated VR31K card on a pseudo-terminal: the pty server that feeds each command
// line to the card model (CardModel.h) and writes its echo and reply back, with faults
// on demand. Tests run it in-process; vr31k-cardsim runs it as a program. Nothing in
// the product depends on it.
//
// Threads: the simulator's own thread serves the pty; every setter and getter may be
// called from any thread (one mutex guards the model and the fault settings).
#include "CardModel.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vr31k::sim {

enum class Fault {
    None,
    Silent,       // no answer at all, not even the echo
    EchoFirst,    // the echo of the command arrives alone, the reply after a pause
    Split,        // every line of the reply is its own burst, with a pause between
    Garbage,      // junk lines and no final result
    Unsolicited,  // unsolicited result codes in a burst of their own before the reply,
                  // then before, inside and after it
    Flood,        // the echo, then lines without a final result, without end
};

struct SimOptions : CardSettings {
    Fault fault = Fault::None;
    int burstPauseMs = 20;
};

bool ParseFault(std::string_view text, Fault& fault);

class CardSimulator {
public:
    static constexpr int kMaxPinAttempts = CardModel::kMaxPinAttempts;
    static constexpr int kMaxPukAttempts = CardModel::kMaxPukAttempts;

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
    // Faults that land at an exact point of a task: after `commands` more command lines
    // have been answered, the card takes `fault`, or is pulled.
    void FaultAfter(size_t commands, Fault fault);
    void UnplugAfter(size_t commands);

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
    bool UnplugDue();
    void HandleLine(const std::string& line);
    void Send(std::string_view bytes);
    bool Flooding();
    void Pause(int ms) const;
    std::string NextUnsolicited(bool dial);  // under m_mutex

    mutable std::mutex m_mutex;
    CardModel m_model;
    Fault m_fault;
    int m_burstPauseMs;
    size_t m_nextUnsolicited = 0;
    std::vector<std::string> m_commands;
    size_t m_faultAt = 0;  // command counts at which those faults land; 0: none
    Fault m_faultLater = Fault::None;
    size_t m_unplugAt = 0;
    bool m_flooding = false;  // the server's own: a flood has begun

    int m_master = -1;
    int m_slaveHold = -1;  // keeps the line up while no program has the port open
    int m_stopFd = -1;
    std::string m_portPath;
    std::thread m_thread;
};

}  // namespace vr31k::sim

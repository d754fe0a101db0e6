#include "CardSimulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace vr31k::sim {
namespace {

constexpr size_t kMaxLine = 1024;

// What a card of this kind reports on its own: signal, registration, ring, boot,
// network mode and SIM notices, and a dropped call.
constexpr std::string_view kUnsolicited[] = {
    "^RSSI: 17", "+CREG: 1", "RING", "^BOOT:20952101,0,0,0,72", "^MODE: 5,4", "+CGREG: 1", "^SIMST: 1", "NO CARRIER",
};

std::string Frame(std::string_view line) { return "\r\n" + std::string(line) + "\r\n"; }

}  // namespace

bool ParseFault(std::string_view text, Fault& fault) {
    static const std::pair<std::string_view, Fault> kNames[] = {{"none", Fault::None},
                                                                {"silent", Fault::Silent},
                                                                {"echo", Fault::EchoFirst},
                                                                {"split", Fault::Split},
                                                                {"garbage", Fault::Garbage},
                                                                {"unsolicited", Fault::Unsolicited},
                                                                {"flood", Fault::Flood}};
    for (const auto& [name, value] : kNames) {
        if (text == name) {
            fault = value;
            return true;
        }
    }
    return false;
}

CardSimulator::CardSimulator(SimOptions options)
    : m_model(options), m_fault(options.fault), m_burstPauseMs(options.burstPauseMs) {}

CardSimulator::~CardSimulator() { Stop(); }

bool CardSimulator::Start(std::string& error) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        Stop();
        return false;
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        error = "cannot name the pseudo-terminal";
        Stop();
        return false;
    }
    m_portPath = name;
    // Holding the slave open keeps the master readable between the port's users, and
    // raw mode keeps the line discipline from echoing or translating anything.
    m_slaveHold = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (m_slaveHold < 0 || tcgetattr(m_slaveHold, &tio) != 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        Stop();
        return false;
    }
    cfmakeraw(&tio);
    tcsetattr(m_slaveHold, TCSANOW, &tio);
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread(&CardSimulator::Serve, this);
    return true;
}

void CardSimulator::Stop() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    for (int* fd : {&m_master, &m_slaveHold, &m_stopFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void CardSimulator::Unplug() { Stop(); }

void CardSimulator::FaultAfter(size_t commands, Fault fault) {
    std::lock_guard lock(m_mutex);
    m_faultAt = m_commands.size() + commands;
    m_faultLater = fault;
}

void CardSimulator::UnplugAfter(size_t commands) {
    std::lock_guard lock(m_mutex);
    m_unplugAt = m_commands.size() + commands;
}

void CardSimulator::Serve() {
    std::string line;
    char buffer[512];
    // Lines of no reply, sent whenever the line takes them while a flood lasts.
    std::string flood;
    while (flood.size() < 4096) flood += "\r\n+CPIN: READY ~~~~ 0123456789 flood";
    for (;;) {
        const bool flooding = Flooding();
        pollfd fds[2] = {{m_master, static_cast<short>(POLLIN | (flooding ? POLLOUT : 0)), 0}, {m_stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (flooding && (fds[0].revents & POLLOUT)) {
            [[maybe_unused]] const ssize_t w = write(m_master, flood.data(), flood.size());
        }
        if ((fds[0].revents & POLLIN) == 0) {
            if (fds[0].revents & (POLLHUP | POLLERR)) usleep(1000);
            continue;
        }
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\r') {
                HandleLine(line);
                line.clear();
                if (UnplugDue()) {
                    // Pulled: the line hangs up for the port's user, the device node
                    // goes, and nothing answers. The held slave keeps the pty's number
                    // taken until Stop(), so another pty cannot appear under this name.
                    close(m_master);
                    m_master = -1;
                    return;
                }
            } else if (c != '\n' && line.size() < kMaxLine) {
                line.push_back(c);
            }
        }
    }
}

void CardSimulator::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(m_master, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd out{m_master, POLLOUT, 0};
            poll(&out, 1, 100);
        } else {
            return;
        }
    }
}

bool CardSimulator::Flooding() {
    std::lock_guard lock(m_mutex);
    return m_flooding && m_fault == Fault::Flood;
}

void CardSimulator::Pause(int ms) const { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string CardSimulator::NextUnsolicited(bool dial) {
    std::string_view line;
    do {
        line = kUnsolicited[m_nextUnsolicited++ % std::size(kUnsolicited)];
    } while (dial && line == "NO CARRIER");  // to a dial it would be the answer
    return Frame(line);
}

bool CardSimulator::UnplugDue() {
    std::lock_guard lock(m_mutex);
    return m_unplugAt != 0 && m_commands.size() >= m_unplugAt;
}

void CardSimulator::HandleLine(const std::string& line) {
    CardReply answer;
    Fault fault = Fault::None;
    int pause = 0;
    std::string before, sprinkled;
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(line);
        if (m_faultAt != 0 && m_commands.size() > m_faultAt) {
            m_fault = m_faultLater;
            m_faultAt = 0;
        }
        fault = m_fault;
        pause = m_burstPauseMs;
        if (fault == Fault::Flood) m_flooding = true;
        if (fault != Fault::Silent) answer = m_model.Handle(line);
        if (fault == Fault::Unsolicited && !answer.reply.empty()) {
            // Before, between and after the reply's lines; nothing after a CONNECT,
            // where the data would begin.
            const bool dial = answer.dial;
            before = NextUnsolicited(dial);
            size_t pos = answer.reply.find_first_not_of("\r\n");
            while (pos != std::string::npos) {
                const size_t end = std::min(answer.reply.find_first_of("\r\n", pos), answer.reply.size());
                sprinkled += NextUnsolicited(dial) + Frame(std::string_view(answer.reply).substr(pos, end - pos));
                pos = answer.reply.find_first_not_of("\r\n", end);
            }
            if (!dial) sprinkled += NextUnsolicited(dial);
        }
    }
    const std::string echoText = line + "\r";
    switch (fault) {
        case Fault::Silent: return;
        case Fault::None: Send(answer.echo + answer.reply); return;
        case Fault::EchoFirst:
            Send(echoText);
            Pause(pause);
            Send(answer.reply);
            return;
        case Fault::Split: {
            Send(answer.echo);
            // Each "\r\nline\r\n" of the reply is its own burst.
            const std::string& reply = answer.reply;
            size_t pos = 0;
            while (pos < reply.size()) {
                size_t end = reply.find("\r\n", reply.find_first_not_of("\r\n", pos));
                end = end == std::string::npos ? reply.size() : end + 2;
                Pause(pause);
                Send(std::string_view(reply).substr(pos, end - pos));
                pos = end;
            }
            return;
        }
        case Fault::Flood: Send(answer.echo); return;  // the flood follows from Serve
        case Fault::Garbage:
            Send(answer.echo);
            Send("\r\n\x01#@!~ GARB\x7f\r\n^BOOT:1234,0,0\r\n+C");
            return;
        case Fault::Unsolicited:
            if (before.empty()) {  // no AT command: nothing comes back
                Send(answer.echo);
                return;
            }
            Send(before);  // a burst of unsolicited lines alone
            Pause(pause);
            Send(answer.echo + sprinkled);
            return;
    }
}

void CardSimulator::SetSimState(SimState state) {
    std::lock_guard lock(m_mutex);
    m_model.SetSimState(state);
}

void CardSimulator::SetBusy(int ms, SimState after) {
    std::lock_guard lock(m_mutex);
    m_model.SetBusy(ms, after);
}

void CardSimulator::SetSignal(int level) {
    std::lock_guard lock(m_mutex);
    m_model.SetSignal(level);
}

void CardSimulator::SetFault(Fault fault) {
    std::lock_guard lock(m_mutex);
    m_fault = fault;
}

void CardSimulator::SetIdentity(std::string manufacturer, std::string model) {
    std::lock_guard lock(m_mutex);
    m_model.SetIdentity(std::move(manufacturer), std::move(model));
}

void CardSimulator::SetNumber(std::string number) {
    std::lock_guard lock(m_mutex);
    m_model.SetNumber(std::move(number));
}

void CardSimulator::SetPinLock(bool on) {
    std::lock_guard lock(m_mutex);
    m_model.SetPinLock(on);
}

void CardSimulator::SetAttempts(int pinAttempts, int pukAttempts) {
    std::lock_guard lock(m_mutex);
    m_model.SetAttempts(pinAttempts, pukAttempts);
}

void CardSimulator::SetContext(int id, std::string apn) {
    std::lock_guard lock(m_mutex);
    m_model.SetContext(id, std::move(apn));
}

bool CardSimulator::Control(std::string_view line, std::string& answer) {
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t start = line.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos) break;
        size_t end = line.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos) end = line.size();
        pos = end;
        const std::string_view word = line.substr(start, end - start);
        const size_t eq = word.find('=');
        if (eq == std::string_view::npos) {
            answer = "expected key=value: " + std::string(word);
            return false;
        }
        const std::string_view key = word.substr(0, eq);
        const std::string value(word.substr(eq + 1));
        int number = 0;
        Fault fault{};
        std::lock_guard lock(m_mutex);
        if (key == "fault" && ParseFault(value, fault)) m_fault = fault;
        else if (key == "pause" && ParseSettingNumber(value, number)) m_burstPauseMs = number;
        else if (!m_model.Set(key, value)) {
            answer = "unknown setting: " + std::string(word);
            return false;
        }
    }
    answer = "ok";
    return true;
}

std::vector<std::string> CardSimulator::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void CardSimulator::ClearCommands() {
    std::lock_guard lock(m_mutex);
    m_commands.clear();
}

SimState CardSimulator::State() const {
    std::lock_guard lock(m_mutex);
    return m_model.State();
}

std::string CardSimulator::Pin() const {
    std::lock_guard lock(m_mutex);
    return m_model.Pin();
}

bool CardSimulator::PinLock() const {
    std::lock_guard lock(m_mutex);
    return m_model.PinLock();
}

int CardSimulator::PinAttempts() const {
    std::lock_guard lock(m_mutex);
    return m_model.PinAttempts();
}

int CardSimulator::PukAttempts() const {
    std::lock_guard lock(m_mutex);
    return m_model.PukAttempts();
}

std::string CardSimulator::Context(int id) const {
    std::lock_guard lock(m_mutex);
    return m_model.Context(id);
}

}  // namespace vr31k::sim

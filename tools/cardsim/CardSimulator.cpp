#include "CardSimulator.h"

#include "dialup/EntryList.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
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

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// The arguments of "+CMD=a,"b",c": split at commas outside quotes, quotes removed.
std::vector<std::string> Arguments(std::string_view text) {
    std::vector<std::string> args(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) args.emplace_back();
        else args.back().push_back(c);
    }
    return args;
}

bool ToInt(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

}  // namespace

bool ParseSimState(std::string_view text, SimState& state) {
    static const std::pair<std::string_view, SimState> kNames[] = {
        {"ready", SimState::Ready},   {"pin", SimState::PinRequired}, {"puk", SimState::PukRequired},
        {"busy", SimState::Busy},     {"failure", SimState::Failure}, {"wrong", SimState::Wrong},
        {"absent", SimState::NotInserted}, {"blocked", SimState::Blocked}};
    for (const auto& [name, value] : kNames) {
        if (text == name) {
            state = value;
            return true;
        }
    }
    return false;
}

bool ParseFault(std::string_view text, Fault& fault) {
    static const std::pair<std::string_view, Fault> kNames[] = {{"none", Fault::None},
                                                                {"silent", Fault::Silent},
                                                                {"echo", Fault::EchoFirst},
                                                                {"split", Fault::Split},
                                                                {"garbage", Fault::Garbage}};
    for (const auto& [name, value] : kNames) {
        if (text == name) {
            fault = value;
            return true;
        }
    }
    return false;
}

CardSimulator::CardSimulator(SimOptions options) : m_card(std::move(options)) {
    m_contexts[0] = kFactoryApn;  // as the card leaves the factory
    if (m_card.sim == SimState::Busy) m_busyForever = true;
    if (m_card.sim == SimState::PinRequired) m_card.pinLock = true;  // a SIM asks for its PIN only when locked
}

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

void CardSimulator::Serve() {
    std::string line;
    char buffer[512];
    for (;;) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
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

void CardSimulator::HandleLine(const std::string& line) {
    bool echo = false;
    Fault fault = Fault::None;
    int pause = 0;
    std::string reply;
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(line);
        echo = m_echo;
        fault = m_card.fault;
        pause = m_card.burstPauseMs;
        if (fault != Fault::Silent) reply = Answer(line);
    }
    const std::string echoText = line + "\r";
    switch (fault) {
        case Fault::Silent: return;
        case Fault::None: Send((echo ? echoText : std::string()) + reply); return;
        case Fault::EchoFirst:
            Send(echoText);
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
            Send(reply);
            return;
        case Fault::Split: {
            if (echo) Send(echoText);
            // Each "\r\nline\r\n" of the reply is its own burst.
            size_t pos = 0;
            while (pos < reply.size()) {
                size_t end = reply.find("\r\n", reply.find_first_not_of("\r\n", pos));
                end = end == std::string::npos ? reply.size() : end + 2;
                std::this_thread::sleep_for(std::chrono::milliseconds(pause));
                Send(std::string_view(reply).substr(pos, end - pos));
                pos = end;
            }
            return;
        }
        case Fault::Garbage:
            if (echo) Send(echoText);
            Send("\r\n\x01#@!~ GARB\x7f\r\n^BOOT:1234,0,0\r\n+C");
            return;
    }
}

SimState CardSimulator::CurrentState() {
    if (m_card.sim == SimState::Busy && !m_busyForever && std::chrono::steady_clock::now() >= m_busyUntil) {
        m_card.sim = m_afterBusy;
    }
    return m_card.sim;
}

std::string CardSimulator::Info(std::string_view text) const { return "\r\n" + std::string(text) + "\r\n" + Ok(); }
std::string CardSimulator::Ok() const { return "\r\nOK\r\n"; }
std::string CardSimulator::Error() const { return "\r\nERROR\r\n"; }
std::string CardSimulator::Cme(int n) const {
    return m_cmee == 0 ? Error() : "\r\n+CME ERROR: " + std::to_string(n) + "\r\n";
}

std::string CardSimulator::SimError() const {
    switch (m_card.sim) {
        case SimState::PinRequired: return Cme(11);
        case SimState::PukRequired: return Cme(12);
        case SimState::Failure:
        case SimState::Blocked: return Cme(13);
        case SimState::Busy: return Cme(14);
        case SimState::Wrong: return Cme(15);
        case SimState::NotInserted: return Cme(10);
        case SimState::Ready: break;
    }
    return Cme(3);
}

std::string CardSimulator::Answer(const std::string& command) {
    if (!StartsWithNoCase(command, "AT")) return {};
    std::string_view body = std::string_view(command).substr(2);
    // A chain of basic commands (ATE0Q0V1...) comes first; one extended command may end it.
    while (body.size() >= 2 && std::strchr("EeQqVv", body[0]) != nullptr && std::isdigit(static_cast<unsigned char>(body[1]))) {
        if (body[0] == 'E' || body[0] == 'e') m_echo = body[1] != '0';
        body.remove_prefix(2);
    }
    if (body.empty()) return Ok();
    return AnswerOne(body);
}

std::string CardSimulator::CheckPinCommand(std::string_view code, bool& ok) {
    ok = code == m_card.pin;
    if (ok) {
        m_card.pinAttempts = kMaxPinAttempts;
        return {};
    }
    if (--m_card.pinAttempts <= 0) {
        m_card.pinAttempts = 0;
        m_card.sim = SimState::PukRequired;
    }
    return Cme(16);
}

std::string CardSimulator::AnswerOne(std::string_view cmd) {
    const std::string upper = [&] {
        std::string u(cmd);
        for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return u;
    }();
    const SimState state = CurrentState();
    const bool ready = state == SimState::Ready;

    if (upper == "I" || upper == "I0") return Info(m_card.manufacturer);
    if (upper == "I1") return Info(m_card.model);
    if (upper == "+GMR") return Info(m_card.firmware);
    if (upper.starts_with("+CMEE=")) {
        int mode = 0;
        if (!ToInt(upper.substr(6), mode) || mode > 2) return Error();
        m_cmee = mode;
        return Ok();
    }
    if (upper == "##EANT") return Info(std::to_string(std::clamp(m_card.signal, 0, 9)));
    if (upper == "+CPIN?") {
        switch (state) {
            case SimState::Ready: return Info("+CPIN: READY");
            case SimState::PinRequired: return Info("+CPIN: SIM PIN");
            case SimState::PukRequired: return Info("+CPIN: SIM PUK");
            default: return SimError();
        }
    }
    if (upper == "##ERCN") {
        switch (state) {
            case SimState::Ready:
            case SimState::PinRequired: return Info(std::to_string(m_card.pinAttempts));
            case SimState::PukRequired: return Info(std::to_string(m_card.pukAttempts));
            case SimState::Blocked: return Info("0");
            default: return Error();  // a broken SIM cannot tell
        }
    }
    if (upper == "+CNUM") {
        if (!ready) return SimError();
        return m_card.number.empty() ? Ok() : Info("+CNUM: ,\"" + m_card.number + "\",129");
    }
    if (upper.starts_with("+CPIN=")) {
        const auto args = Arguments(cmd.substr(6));
        bool ok = false;
        if (state == SimState::PinRequired && args.size() == 1) {
            const std::string err = CheckPinCommand(args[0], ok);
            if (!ok) return err;
            m_card.sim = SimState::Ready;
            return Ok();
        }
        if (state == SimState::PukRequired) {
            if (args.size() != 2) return Cme(12);
            if (args[0] != m_card.puk) {
                if (--m_card.pukAttempts <= 0) {
                    m_card.pukAttempts = 0;
                    m_card.sim = SimState::Blocked;
                    return Cme(13);
                }
                return Cme(16);
            }
            m_card.pin = args[1];
            m_card.pinAttempts = kMaxPinAttempts;
            m_card.pukAttempts = kMaxPukAttempts;
            m_card.sim = SimState::Ready;
            return Ok();
        }
        return ready ? Cme(3) : SimError();
    }
    if (upper.starts_with("+CLCK=")) {
        const auto args = Arguments(cmd.substr(6));
        if (args.empty() || args[0] != "SC" || args.size() < 2) return Cme(4);
        if (!ready) return SimError();
        if (args[1] == "2") return Info(std::string("+CLCK: ") + (m_card.pinLock ? "1" : "0"));
        if ((args[1] != "0" && args[1] != "1") || args.size() != 3) return Cme(4);
        bool ok = false;
        const std::string err = CheckPinCommand(args[2], ok);
        if (!ok) return err;
        m_card.pinLock = args[1] == "1";
        return Ok();
    }
    if (upper.starts_with("+CPWD=")) {
        const auto args = Arguments(cmd.substr(6));
        if (args.size() != 3 || args[0] != "SC") return Cme(4);
        if (!ready) return SimError();
        if (!m_card.pinLock) return Cme(3);
        bool ok = false;
        const std::string err = CheckPinCommand(args[1], ok);
        if (!ok) return err;
        m_card.pin = args[2];
        return Ok();
    }
    if (upper == "+CGDCONT?") {
        std::string text;
        for (size_t i = 0; i < m_contexts.size(); ++i) {
            if (m_contexts[i].empty()) continue;
            text += "\r\n+CGDCONT: " + std::to_string(i + 1) + ",\"IP\",\"" + m_contexts[i] + "\",\"0.0.0.0\",0,0";
        }
        return text + "\r\n" + Ok();
    }
    if (upper == "+CGDCONT=") {
        for (auto& c : m_contexts) c.clear();
        return Ok();
    }
    if (upper.starts_with("+CGDCONT=")) {
        const auto args = Arguments(cmd.substr(9));
        int id = 0;
        if (!ToInt(args[0], id) || id < 1 || id > 10) return Error();
        if (args.size() == 1) {
            m_contexts[static_cast<size_t>(id - 1)].clear();
            return Ok();
        }
        if (args.size() < 3 || args[1] != "IP") return Error();
        m_contexts[static_cast<size_t>(id - 1)] = args[2];
        return Ok();
    }
    if (upper.starts_with("D*99***") && upper.ends_with("#")) {
        int id = 0;
        if (!ToInt(upper.substr(7, upper.size() - 8), id) || id < 1 || id > 10) return "\r\nNO CARRIER\r\n";
        return ready && !m_contexts[static_cast<size_t>(id - 1)].empty() ? "\r\nCONNECT\r\n" : "\r\nNO CARRIER\r\n";
    }
    return Error();
}

void CardSimulator::SetSimState(SimState state) {
    std::lock_guard lock(m_mutex);
    m_card.sim = state;
    m_busyForever = state == SimState::Busy;
    if (state == SimState::PinRequired) m_card.pinLock = true;
}

void CardSimulator::SetBusy(int ms, SimState after) {
    std::lock_guard lock(m_mutex);
    m_card.sim = SimState::Busy;
    m_busyForever = ms < 0;
    m_busyUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    m_afterBusy = after;
}

void CardSimulator::SetSignal(int level) {
    std::lock_guard lock(m_mutex);
    m_card.signal = level;
}

void CardSimulator::SetFault(Fault fault) {
    std::lock_guard lock(m_mutex);
    m_card.fault = fault;
}

void CardSimulator::SetIdentity(std::string manufacturer, std::string model) {
    std::lock_guard lock(m_mutex);
    m_card.manufacturer = std::move(manufacturer);
    m_card.model = std::move(model);
}

void CardSimulator::SetNumber(std::string number) {
    std::lock_guard lock(m_mutex);
    m_card.number = std::move(number);
}

void CardSimulator::SetPinLock(bool on) {
    std::lock_guard lock(m_mutex);
    m_card.pinLock = on;
}

void CardSimulator::SetAttempts(int pinAttempts, int pukAttempts) {
    std::lock_guard lock(m_mutex);
    m_card.pinAttempts = pinAttempts;
    m_card.pukAttempts = pukAttempts;
}

void CardSimulator::SetContext(int id, std::string apn) {
    std::lock_guard lock(m_mutex);
    if (id >= 1 && id <= 10) m_contexts[static_cast<size_t>(id - 1)] = std::move(apn);
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
        SimState state{};
        Fault fault{};
        if (key == "sim" && ParseSimState(value, state)) SetSimState(state);
        else if (key == "busy" && ToInt(value, number)) SetBusy(number, SimState::Ready);
        else if (key == "signal" && ToInt(value, number)) SetSignal(number);
        else if (key == "fault" && ParseFault(value, fault)) SetFault(fault);
        else if (key == "pinlock" && (value == "on" || value == "off")) SetPinLock(value == "on");
        else if (key == "number") SetNumber(value == "none" ? std::string() : value);
        else if (key == "pin-attempts" && ToInt(value, number)) SetAttempts(number, PukAttempts());
        else if (key == "puk-attempts" && ToInt(value, number)) SetAttempts(PinAttempts(), number);
        else {
            std::lock_guard lock(m_mutex);
            if (key == "manufacturer") m_card.manufacturer = value;
            else if (key == "model") m_card.model = value;
            else if (key == "firmware") m_card.firmware = value;
            else if (key == "pin" && ToInt(value, number)) m_card.pin = value;
            else if (key == "puk" && ToInt(value, number)) m_card.puk = value;
            else if (key == "pause" && ToInt(value, number)) m_card.burstPauseMs = number;
            else {
                answer = "unknown setting: " + std::string(word);
                return false;
            }
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
    return m_card.sim;
}

std::string CardSimulator::Pin() const {
    std::lock_guard lock(m_mutex);
    return m_card.pin;
}

bool CardSimulator::PinLock() const {
    std::lock_guard lock(m_mutex);
    return m_card.pinLock;
}

int CardSimulator::PinAttempts() const {
    std::lock_guard lock(m_mutex);
    return m_card.pinAttempts;
}

int CardSimulator::PukAttempts() const {
    std::lock_guard lock(m_mutex);
    return m_card.pukAttempts;
}

std::string CardSimulator::Context(int id) const {
    std::lock_guard lock(m_mutex);
    return id >= 1 && id <= 10 ? m_contexts[static_cast<size_t>(id - 1)] : std::string();
}

}  // namespace vr31k::sim

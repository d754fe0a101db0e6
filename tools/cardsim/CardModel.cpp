#include "CardModel.h"

#include "dialup/EntryList.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vr31k::sim {
namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

std::string Info(std::string_view text) { return "\r\n" + std::string(text) + "\r\n" + kOk; }

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

}  // namespace

bool ParseSettingNumber(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

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

CardModel::CardModel(CardSettings settings) : m_card(std::move(settings)) {
    m_contexts[0] = kFactoryApn;  // as the card leaves the factory
    if (m_card.sim == SimState::Busy) m_busyForever = true;
    if (m_card.sim == SimState::PinRequired) m_card.pinLock = true;  // a SIM asks for its PIN only when locked
}

CardReply CardModel::Handle(std::string_view line, Clock::time_point now) {
    CardReply out;
    if (m_echo) out.echo = std::string(line) + "\r";
    out.reply = Answer(line, now);
    out.dial = StartsWithNoCase(line, "ATD");
    return out;
}

SimState CardModel::CurrentState(Clock::time_point now) {
    if (m_card.sim == SimState::Busy && !m_busyForever && now >= m_busyUntil) m_card.sim = m_afterBusy;
    return m_card.sim;
}

std::string CardModel::Cme(int n) const { return m_cmee == 0 ? kError : "\r\n+CME ERROR: " + std::to_string(n) + "\r\n"; }

std::string CardModel::SimError() const {
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

std::string CardModel::Answer(std::string_view command, Clock::time_point now) {
    if (!StartsWithNoCase(command, "AT")) return {};
    std::string_view body = command.substr(2);
    // A chain of basic commands (ATE0Q0V1...) comes first; one extended command may end it.
    while (body.size() >= 2 && std::strchr("EeQqVv", body[0]) != nullptr && std::isdigit(static_cast<unsigned char>(body[1]))) {
        if (body[0] == 'E' || body[0] == 'e') m_echo = body[1] != '0';
        body.remove_prefix(2);
    }
    if (body.empty()) return kOk;
    return AnswerOne(body, now);
}

std::string CardModel::CheckPin(std::string_view code, bool& ok) {
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

// AT+CPIN=: the PIN, or the PUK and a new PIN.
std::string CardModel::EnterCode(const std::vector<std::string>& args, SimState state) {
    if (state == SimState::PinRequired && args.size() == 1) {
        bool ok = false;
        const std::string err = CheckPin(args[0], ok);
        if (!ok) return err;
        m_card.sim = SimState::Ready;
        return kOk;
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
        return kOk;
    }
    return state == SimState::Ready ? Cme(3) : SimError();
}

// AT+CGDCONT=id or AT+CGDCONT=id,"IP","apn".
std::string CardModel::SetContextCommand(std::string_view text) {
    const auto args = Arguments(text);
    int id = 0;
    if (!ParseSettingNumber(args[0], id) || id < 1 || id > kContexts) return kError;
    if (args.size() == 1) {
        m_contexts[static_cast<size_t>(id - 1)].clear();
        return kOk;
    }
    if (args.size() < 3 || args[1] != "IP") return kError;
    m_contexts[static_cast<size_t>(id - 1)] = args[2];
    return kOk;
}

std::string CardModel::AnswerOne(std::string_view cmd, Clock::time_point now) {
    std::string upper(cmd);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const SimState state = CurrentState(now);
    const bool ready = state == SimState::Ready;

    if (upper == "I" || upper == "I0") return Info(m_card.manufacturer);
    if (upper == "I1") return Info(m_card.model);
    if (upper == "+GMR") return Info(m_card.firmware);
    if (upper.starts_with("+CMEE=")) {
        int mode = 0;
        if (!ParseSettingNumber(std::string_view(upper).substr(6), mode) || mode > 2) return kError;
        m_cmee = mode;
        return kOk;
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
            default: return kError;  // a broken SIM cannot tell
        }
    }
    if (upper == "+CNUM") {
        if (!ready) return SimError();
        return m_card.number.empty() ? kOk : Info("+CNUM: ,\"" + m_card.number + "\",129");
    }
    if (upper.starts_with("+CPIN=")) return EnterCode(Arguments(cmd.substr(6)), state);
    if (upper.starts_with("+CLCK=")) {
        const auto args = Arguments(cmd.substr(6));
        if (args.empty() || args[0] != "SC" || args.size() < 2) return Cme(4);
        if (!ready) return SimError();
        if (args[1] == "2") return Info(std::string("+CLCK: ") + (m_card.pinLock ? "1" : "0"));
        if ((args[1] != "0" && args[1] != "1") || args.size() != 3) return Cme(4);
        bool ok = false;
        const std::string err = CheckPin(args[2], ok);
        if (!ok) return err;
        m_card.pinLock = args[1] == "1";
        return kOk;
    }
    if (upper.starts_with("+CPWD=")) {
        const auto args = Arguments(cmd.substr(6));
        if (args.size() != 3 || args[0] != "SC") return Cme(4);
        if (!ready) return SimError();
        if (!m_card.pinLock) return Cme(3);
        bool ok = false;
        const std::string err = CheckPin(args[1], ok);
        if (!ok) return err;
        m_card.pin = args[2];
        return kOk;
    }
    if (upper == "+CGDCONT?") {
        std::string text;
        for (size_t i = 0; i < m_contexts.size(); ++i) {
            if (m_contexts[i].empty()) continue;
            text += "\r\n+CGDCONT: " + std::to_string(i + 1) + ",\"IP\",\"" + m_contexts[i] + "\",\"0.0.0.0\",0,0";
        }
        return text + "\r\n" + kOk;
    }
    if (upper == "+CGDCONT=") {
        for (auto& c : m_contexts) c.clear();
        return kOk;
    }
    if (upper.starts_with("+CGDCONT=")) return SetContextCommand(cmd.substr(9));
    if (upper.starts_with("D*99***") && upper.ends_with("#")) {
        int id = 0;
        if (!ParseSettingNumber(std::string_view(upper).substr(7, upper.size() - 8), id) || id < 1 || id > kContexts ||
            m_contexts[static_cast<size_t>(id - 1)].empty()) {
            m_lastDialFailure = "Missing or unknown APN";
            return "\r\nNO CARRIER\r\n";
        }
        if (!ready) {
            m_lastDialFailure = "SIM not ready";
            return "\r\nNO CARRIER\r\n";
        }
        return "\r\nCONNECT\r\n";
    }
    if (upper == "+CEER") return "\r\n+CEER: " + m_lastDialFailure + "\r\n" + kOk;
    return kError;
}

void CardModel::SetSimState(SimState state) {
    m_card.sim = state;
    m_busyForever = state == SimState::Busy;
    if (state == SimState::PinRequired) m_card.pinLock = true;
}

void CardModel::SetBusy(int ms, SimState after, Clock::time_point now) {
    m_card.sim = SimState::Busy;
    m_busyForever = ms < 0;
    m_busyUntil = now + std::chrono::milliseconds(std::max(ms, 0));
    m_afterBusy = after;
}

void CardModel::SetIdentity(std::string manufacturer, std::string model) {
    m_card.manufacturer = std::move(manufacturer);
    m_card.model = std::move(model);
}

void CardModel::SetAttempts(int pinAttempts, int pukAttempts) {
    m_card.pinAttempts = pinAttempts;
    m_card.pukAttempts = pukAttempts;
}

void CardModel::SetContext(int id, std::string apn) {
    if (id >= 1 && id <= kContexts) m_contexts[static_cast<size_t>(id - 1)] = std::move(apn);
}

std::string CardModel::Context(int id) const {
    return id >= 1 && id <= kContexts ? m_contexts[static_cast<size_t>(id - 1)] : std::string();
}

bool CardModel::Set(std::string_view key, const std::string& value, Clock::time_point now) {
    int number = 0;
    SimState state{};
    if (key == "sim" && ParseSimState(value, state)) SetSimState(state);
    else if (key == "busy" && ParseSettingNumber(value, number)) SetBusy(number, SimState::Ready, now);
    else if (key == "signal" && ParseSettingNumber(value, number)) SetSignal(number);
    else if (key == "pinlock" && (value == "on" || value == "off")) SetPinLock(value == "on");
    else if (key == "number") SetNumber(value == "none" ? std::string() : value);
    else if (key == "pin-attempts" && ParseSettingNumber(value, number)) m_card.pinAttempts = number;
    else if (key == "puk-attempts" && ParseSettingNumber(value, number)) m_card.pukAttempts = number;
    else if (key == "manufacturer") m_card.manufacturer = value;
    else if (key == "model") m_card.model = value;
    else if (key == "firmware") m_card.firmware = value;
    else if (key == "pin" && ParseSettingNumber(value, number)) m_card.pin = value;
    else if (key == "puk" && ParseSettingNumber(value, number)) m_card.puk = value;
    else return false;
    return true;
}

}  // namespace vr31k::sim

#include "platform/linux/PppdLog.h"

#include "platform/DialupService.h"

namespace vr31k {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string_view TrimLine(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Lines that end a dial, what they mean, and what the user can do about it. Checked in
// order; the first line of a transcript that matches decides the error.
struct ErrorLine {
    bool prefix;  // match at the start, else anywhere
    std::string_view text;
    int error;
    std::string_view cause;
};

constexpr ErrorLine kErrorLines[] = {
    {true, "Failed (BUSY)", dialerr::kLineBusy,
     "the network answered busy: try again in a minute"},
    {true, "Failed (NO CARRIER)", dialerr::kNoAnswer,
     "the card got no data connection (NO CARRIER): check the signal and that the entry's APN is one your "
     "contract allows"},
    {true, "Failed (NO ANSWER)", dialerr::kNoAnswer, "the network did not answer the dial: try again"},
    {true, "Failed (NO DIALTONE)", dialerr::kNoDialtone,
     "the card is not registered on the network (NO DIALTONE): check the signal and the SIM"},
    {true, "Failed (ERROR)", dialerr::kFromDevice,
     "the card refused the dial (ERROR): check that the entry's packet context is on the card "
     "(vr31kctl entries sync) and that the SIM is ready (vr31kctl card check)"},
    {true, "alarm", dialerr::kNoAnswer,  // chat's time-out waiting for an answer
     "the card did not answer the dial in time: take the card out and put it in again"},
    {false, " is locked by pid ", dialerr::kPortNotAvailable,
     "another dialler holds the card's port (its lock file): end it, or run vr31kctl doctor to see which"},
    {true, "Failed to open ", dialerr::kPortNotAvailable,
     "pppd could not open the card's port: run vr31kctl doctor to see who holds it or what right is missing"},
    {false, "Can't open options file ", dialerr::kFileNotOpened,
     "pppd's peer file is missing: run scripts/setup.sh (it installs /etc/ppp/peers/vr31k-utility)"},
    {false, "unrecognized option", dialerr::kFileNotOpened,
     "pppd does not take an option of the dial: reinstall the peer file with scripts/setup.sh"},
    {true, "Couldn't open the /dev/ppp device", dialerr::kDeviceDoesNotExist,
     "the kernel's PPP device cannot be opened: run sudo modprobe ppp_generic"},
    {false, "lacks kernel support for PPP", dialerr::kDeviceDoesNotExist,
     "the kernel has no PPP support: run sudo modprobe ppp_generic"},
    {false, "create the /dev/ppp device node", dialerr::kDeviceDoesNotExist,
     "the kernel has no PPP support: run sudo modprobe ppp_generic"},
    {false, "must be root to run pppd", dialerr::kAccessDenied,
     "pppd may be run only by root and the group dip: run sudo adduser $USER dip, then log in again"},
    {true, "PAP authentication failed", dialerr::kAuthenticationFailure,
     "the network refused the entry's user name or password (PAP): correct them in the entry"},
    {true, "CHAP authentication failed", dialerr::kAuthenticationFailure,
     "the network refused the entry's user name or password (CHAP): correct them in the entry"},
    {true, "EAP: peer reports authentication failure", dialerr::kAuthenticationFailure,
     "the network refused the entry's user name or password (EAP): correct them in the entry"},
    {true, "LCP: timeout sending Config-Requests", dialerr::kPppTimeout,
     "the network never answered PPP after the dial: check the APN and try again"},
    {true, "IPCP: timeout sending Config-Requests", dialerr::kPppNoProtocols,
     "the network gave no IP address: check the entry's APN"},
    {true, "LCP terminated by peer", dialerr::kDisconnection,
     "the network closed the link while it was being set up: check the APN, user name and password"},
    {true, "Modem hangup", dialerr::kPortDisconnected,
     "the card hung up during the dial: check the signal, or whether the card was taken out"},
    {true, "Hangup (SIGHUP)", dialerr::kPortDisconnected,
     "the card hung up during the dial: check the signal, or whether the card was taken out"},
};

// What the card said about a refusal, from its own lines in chat's transcript
// ("+CME ERROR: no network service", "+CEER: ..."); empty when it said nothing.
std::string CardReason(std::string_view line) {
    for (std::string_view tag : {std::string_view("+CME ERROR:"), std::string_view("+CEER:")}) {
        const size_t at = line.find(tag);
        if (at != std::string_view::npos) return std::string(TrimLine(line.substr(at)));
    }
    return {};
}

}  // namespace

std::optional<uint32_t> PppdLogReader::Advance(uint32_t state) {
    if (m_connected) return std::nullopt;
    m_state = state;
    if (state == dialstate::kConnected) m_connected = true;
    return state;
}

void PppdLogReader::NoteError(int error, std::string_view cause) {
    if (m_error == 0 && !m_connected) {
        m_error = error;
        m_cause = cause;
    }
}

PppdLogReader::Event PppdLogReader::Feed(std::string_view raw) {
    Event event;
    const std::string_view line = TrimLine(raw);
    if (line.empty()) return event;

    if (m_cardReason.empty() && !m_connected) m_cardReason = CardReason(line);
    for (const ErrorLine& e : kErrorLines) {
        if (e.prefix ? StartsWith(line, e.text) : Contains(line, e.text)) {
            NoteError(e.error, e.cause);
            return event;
        }
    }

    if (StartsWith(line, "send (ATD")) {
        event.state = Advance(dialstate::kConnectDevice);
    } else if (StartsWith(line, "Serial connection established")) {
        event.state = Advance(dialstate::kDeviceConnected);
    } else if (StartsWith(line, "Using interface ")) {
        event.interfaceName = std::string(TrimLine(line.substr(16)));
    } else if (StartsWith(line, "sent [PAP AuthReq") || StartsWith(line, "rcvd [CHAP Challenge") ||
               StartsWith(line, "sent [EAP Response")) {
        if (m_state < dialstate::kAuthenticate) event.state = Advance(dialstate::kAuthenticate);
    } else if (StartsWith(line, "PAP authentication succeeded") ||
               StartsWith(line, "CHAP authentication succeeded") ||
               StartsWith(line, "EAP authentication succeeded")) {
        event.state = Advance(dialstate::kAuthenticated);
    } else if (StartsWith(line, "local  IP address") || StartsWith(line, "local IP address")) {
        event.state = Advance(dialstate::kConnected);
    }
    return event;
}

int PppdLogReader::Finish(int exitStatus, bool endedByUs) const {
    if (m_connected) return 0;
    if (endedByUs) return dialerr::kUserDisconnection;
    if (m_error != 0) return m_error;
    const int mapped = ErrorFromPppdExit(exitStatus);
    return mapped != 0 ? mapped : dialerr::kDisconnection;
}

std::string PppdLogReader::Cause(int exitStatus, bool endedByUs) const {
    if (m_connected) return {};
    std::string cause = endedByUs ? std::string("the dial was cancelled")
                        : !m_cause.empty() ? std::string(m_cause)
                                           : PppdExitCause(exitStatus);
    if (!endedByUs && !m_cardReason.empty()) cause += " (the card said: " + m_cardReason + ")";
    return cause;
}

std::string PppdExitCause(int exitStatus) {
    // pppd(8), EXIT STATUS.
    switch (exitStatus) {
        case 0: return "pppd ended before the link came up";
        case 1: return "pppd met an immediately fatal error (pppd status 1): see the system log (journalctl -t pppd)";
        case 2: return "pppd refused its options (pppd status 2): reinstall the peer file with scripts/setup.sh";
        case 3: return "pppd is not setuid root and you are not root (pppd status 3): reinstall the ppp package "
                       "(sudo apt-get install --reinstall ppp)";
        case 4: return "the kernel has no PPP support (pppd status 4): run sudo modprobe ppp_generic";
        case 5: return "pppd was ended by a signal (pppd status 5)";
        case 6: return "the card's port is locked by another program (pppd status 6): run vr31kctl doctor to see which";
        case 7: return "pppd could not open the card's port (pppd status 7): run vr31kctl doctor to see who holds it "
                       "or which group is missing";
        case 8: return "the dial script failed (pppd status 8): the card did not connect; check the signal and the APN";
        case 9: return "the pty command failed (pppd status 9): check the peer file";
        case 10: return "PPP negotiation failed (pppd status 10): check the entry's APN";
        case 11: return "the network failed to authenticate itself (pppd status 11): the peer file must carry noauth; "
                        "reinstall it with scripts/setup.sh";
        case 12: return "the link was idle too long (pppd status 12)";
        case 13: return "the link reached its connect time limit (pppd status 13)";
        case 14: return "the network asked for a call-back, which the card cannot take (pppd status 14)";
        case 15: return "the network stopped answering echo requests (pppd status 15): check the signal";
        case 16: return "the card hung up (pppd status 16): check the signal, or whether the card was taken out";
        case 17: return "the line loops back (pppd status 17): the card is echoing; take it out and put it in again";
        case 18: return "the card's init script failed (pppd status 18): check that the card answers "
                        "(vr31kctl card check)";
        case 19: return "the network refused the entry's user name or password (pppd status 19): correct them in "
                        "the entry";
        default: return "pppd ended with status " + std::to_string(exitStatus) + ": see pppd(8)";
    }
}

int ErrorFromPppdExit(int exitStatus) {
    switch (exitStatus) {
        case 0: return 0;
        case 2: return dialerr::kFileNotOpened;        // option error: our setup is broken
        case 3: return dialerr::kAccessDenied;         // not setuid and not root
        case 4: return dialerr::kDeviceDoesNotExist;   // no kernel PPP
        case 5: return dialerr::kUserDisconnection;    // ended by a signal
        case 6:                                        // port locked
        case 7: return dialerr::kPortNotAvailable;     // port not openable
        case 8: return dialerr::kNoAnswer;             // connect script failed
        case 10: return dialerr::kPppNoProtocols;      // negotiation failed
        case 11:
        case 19: return dialerr::kAuthenticationFailure;
        case 15: return dialerr::kDisconnection;       // peer stopped answering echoes
        case 16: return dialerr::kPortDisconnected;    // modem hung up
        case 18: return dialerr::kFromDevice;          // init script failed
        default: return dialerr::kUnknown;
    }
}

}  // namespace vr31k

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

// Lines that end a dial, and what they mean. Checked in order; the first line of a
// transcript that matches decides the error.
struct ErrorLine {
    bool prefix;  // match at the start, else anywhere
    std::string_view text;
    int error;
};

constexpr ErrorLine kErrorLines[] = {
    {true, "Failed (BUSY)", dialerr::kLineBusy},
    {true, "Failed (NO CARRIER)", dialerr::kNoAnswer},
    {true, "Failed (NO ANSWER)", dialerr::kNoAnswer},
    {true, "Failed (NO DIALTONE)", dialerr::kNoDialtone},
    {true, "Failed (ERROR)", dialerr::kFromDevice},
    {true, "alarm", dialerr::kNoAnswer},  // chat's time-out waiting for an answer
    {false, " is locked by pid ", dialerr::kPortNotAvailable},
    {true, "Failed to open ", dialerr::kPortNotAvailable},
    {true, "Can't open options file ", dialerr::kFileNotOpened},
    {false, "unrecognized option", dialerr::kFileNotOpened},
    {true, "Couldn't open the /dev/ppp device", dialerr::kDeviceDoesNotExist},
    {false, "lacks kernel support for PPP", dialerr::kDeviceDoesNotExist},
    {false, "create the /dev/ppp device node", dialerr::kDeviceDoesNotExist},
    {false, "must be root to run pppd", dialerr::kAccessDenied},
    {true, "PAP authentication failed", dialerr::kAuthenticationFailure},
    {true, "CHAP authentication failed", dialerr::kAuthenticationFailure},
    {true, "EAP: peer reports authentication failure", dialerr::kAuthenticationFailure},
    {true, "LCP: timeout sending Config-Requests", dialerr::kPppTimeout},
    {true, "IPCP: timeout sending Config-Requests", dialerr::kPppNoProtocols},
    {true, "LCP terminated by peer", dialerr::kDisconnection},
    {true, "Modem hangup", dialerr::kPortDisconnected},
    {true, "Hangup (SIGHUP)", dialerr::kPortDisconnected},
};

}  // namespace

std::optional<uint32_t> PppdLogReader::Advance(uint32_t state) {
    if (m_connected) return std::nullopt;
    m_state = state;
    if (state == dialstate::kConnected) m_connected = true;
    return state;
}

void PppdLogReader::NoteError(int error) {
    if (m_error == 0 && !m_connected) m_error = error;
}

PppdLogReader::Event PppdLogReader::Feed(std::string_view raw) {
    Event event;
    const std::string_view line = TrimLine(raw);
    if (line.empty()) return event;

    for (const ErrorLine& e : kErrorLines) {
        if (e.prefix ? StartsWith(line, e.text) : Contains(line, e.text)) {
            NoteError(e.error);
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

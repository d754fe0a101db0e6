#pragma once
// Turns pppd's log (with chat's, which pppd routes to the same descriptor) into dial
// states and dial-up error numbers. The table lives in docs/dialup.md; keep both in step.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

class PppdLogReader {
public:
    struct Event {
        std::optional<uint32_t> state;  // a new dial state reached
        std::string interfaceName;      // set once, when pppd names its interface
    };

    // One log line, without its line break.
    Event Feed(std::string_view line);
    // The dial's outcome once pppd has exited: 0 when the link had come up, else the
    // error number. `endedByUs`: we sent the signal that ended it.
    int Finish(int exitStatus, bool endedByUs) const;

    // One sentence on why the dial failed and what to do, with what the card said about
    // its refusal; empty when the link came up.
    std::string Cause(int exitStatus, bool endedByUs) const;

    // True when the card refused the dial (the connect script failed: pppd status 8)
    // without saying why in chat's transcript: then it is worth asking it (AT+CEER).
    bool WantsCardReason(int exitStatus, bool endedByUs) const {
        return !m_connected && !endedByUs && exitStatus == 8 && m_cardReason.empty();
    }
    // What the card said when asked after the dial; the transcript's own words win.
    void NoteCardReason(std::string reason) {
        if (m_cardReason.empty()) m_cardReason = std::move(reason);
    }

    uint32_t State() const { return m_state; }
    bool Connected() const { return m_connected; }
    // The error a line named, 0 when none yet (the first one wins).
    int Error() const { return m_error; }

private:
    std::optional<uint32_t> Advance(uint32_t state);
    void NoteError(int error, std::string_view cause);

    uint32_t m_state = 0;
    bool m_connected = false;
    int m_error = 0;
    std::string_view m_cause;  // of the line that named the error
    std::string m_cardReason;
};

// pppd's exit status (its manual's list) as an error number.
int ErrorFromPppdExit(int exitStatus);
// pppd's exit status as a sentence with what to do about it.
std::string PppdExitCause(int exitStatus);

}  // namespace vr31k

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

    uint32_t State() const { return m_state; }
    bool Connected() const { return m_connected; }
    // The error a line named, 0 when none yet (the first one wins).
    int Error() const { return m_error; }

private:
    std::optional<uint32_t> Advance(uint32_t state);
    void NoteError(int error);

    uint32_t m_state = 0;
    bool m_connected = false;
    int m_error = 0;
};

// pppd's exit status (its manual's list) as an error number.
int ErrorFromPppdExit(int exitStatus);

}  // namespace vr31k

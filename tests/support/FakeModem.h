#pragma once
// A pseudo-terminal whose master side plays a modem: every command line it is sent
// (ended by CR) is answered with the bursts its answer gives, `pauseMs` apart.
#include "support/PtyPair.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vr31k::test {

class CFakeModem {
public:
    using Answer = std::function<std::vector<std::string>(const std::string& line)>;
    // The card's modem for dial tests: OK to every AT command, `dialReply` to ATD
    // ("CONNECT", "NO CARRIER", ...; empty: nothing), and `errorReport` as the text of its
    // answer to AT+CEER (empty: it answers OK alone).
    explicit CFakeModem(std::string dialReply, std::string errorReport = {});
    CFakeModem(Answer answer, int pauseMs);
    ~CFakeModem();
    CFakeModem(const CFakeModem&) = delete;
    CFakeModem& operator=(const CFakeModem&) = delete;

    bool Ok() const { return !Port().empty(); }
    const std::string& Port() const { return m_pty.SlavePath(); }
    // Everything the dialler wrote to the modem so far.
    std::string Received();
    // Closes the master: the dialler sees the line drop.
    void HangUp();

private:
    void Run();
    PtyPair m_pty;
    Answer m_answer;
    int m_pauseMs;
    std::mutex m_mutex;
    std::string m_received;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace vr31k::test

#pragma once
// A pseudo-terminal pair whose master side plays the card's modem for dial tests.
#include <atomic>
#include <string>
#include <thread>

namespace vr31k::test {

class CFakeModem {
public:
    // `dialReply`: what the modem answers to ATD ("CONNECT", "NO CARRIER", ...; empty:
    // nothing). `hangUpAfterDial`: close the master right after answering.
    // `errorReport`: the text of its answer to AT+CEER (empty: it answers OK alone).
    explicit CFakeModem(std::string dialReply, bool hangUpAfterDial = false, std::string errorReport = {});
    ~CFakeModem();
    CFakeModem(const CFakeModem&) = delete;
    CFakeModem& operator=(const CFakeModem&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& Port() const { return m_port; }
    // Everything the dialler wrote to the modem so far.
    std::string Received();
    // Closes the master: the dialler sees the line drop.
    void HangUp();

private:
    void Run();
    int m_master = -1;
    int m_stopFd = -1;
    std::string m_port;
    std::string m_reply;
    std::string m_errorReport;
    bool m_hangUpAfterDial;
    std::atomic<bool> m_stop{false};
    std::string m_received;
    std::atomic<bool> m_busy{false};
    std::thread m_thread;
};

}  // namespace vr31k::test

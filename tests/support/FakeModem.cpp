#include "support/FakeModem.h"

#include <chrono>

namespace vr31k::test {

CFakeModem::CFakeModem(std::string dialReply, std::string errorReport)
    : CFakeModem(
          [dialReply, errorReport](const std::string& line) -> std::vector<std::string> {
              if (line.rfind("ATD", 0) == 0) return {dialReply.empty() ? "" : "\r\n" + dialReply + "\r\n"};
              if (line == "AT+CEER" && !errorReport.empty()) return {"\r\n+CEER: " + errorReport + "\r\n\r\nOK\r\n"};
              if (line.rfind("AT", 0) == 0) return {"\r\nOK\r\n"};
              return {};
          },
          0) {}

CFakeModem::CFakeModem(Answer answer, int pauseMs)
    : m_answer(std::move(answer)), m_pauseMs(pauseMs), m_thread([this] { Run(); }) {}

CFakeModem::~CFakeModem() { HangUp(); }

std::string CFakeModem::Received() {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void CFakeModem::HangUp() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_pty.CloseMaster();
}

void CFakeModem::Run() {
    std::string line;
    while (!m_stop) {
        const std::string got = m_pty.Receive(1, 20);
        {
            std::lock_guard lock(m_mutex);
            m_received += got;
        }
        for (const char c : got) {
            if (c != '\r') {
                line += c;
                continue;
            }
            const std::vector<std::string> bursts = m_answer(line);
            for (size_t i = 0; i < bursts.size(); ++i) {
                if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_pauseMs));
                m_pty.Send(bursts[i]);
            }
            line.clear();
        }
    }
}

}  // namespace vr31k::test

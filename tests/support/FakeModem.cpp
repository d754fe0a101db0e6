#include "support/FakeModem.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

namespace vr31k::test {

namespace {
std::mutex g_receivedMutex;
}

CFakeModem::CFakeModem(std::string dialReply, bool hangUpAfterDial, std::string errorReport)
    : m_reply(std::move(dialReply)), m_errorReport(std::move(errorReport)), m_hangUpAfterDial(hangUpAfterDial) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
    m_port = ptsname(m_master);
    // Hold the slave open once so the pair stays valid before the dialler opens it.
    m_stopFd = eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread(&CFakeModem::Run, this);
}

CFakeModem::~CFakeModem() {
    m_stop = true;
    const uint64_t one = 1;
    if (m_stopFd >= 0) [[maybe_unused]] auto n = write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable()) m_thread.join();
    if (m_master >= 0) close(m_master);
    if (m_stopFd >= 0) close(m_stopFd);
}

std::string CFakeModem::Received() {
    std::lock_guard lock(g_receivedMutex);
    return m_received;
}

void CFakeModem::HangUp() {
    m_stop = true;
    const uint64_t one = 1;
    [[maybe_unused]] auto n = write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable()) m_thread.join();
    if (m_master >= 0) close(m_master);
    m_master = -1;
}

void CFakeModem::Run() {
    std::string line;
    while (!m_stop) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0) continue;
        if (fds[1].revents != 0) break;
        if ((fds[0].revents & POLLIN) == 0) {
            // No slave open yet (POLLHUP): wait a little for the dialler.
            usleep(5000);
            continue;
        }
        char buffer[256];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            usleep(5000);
            continue;
        }
        {
            std::lock_guard lock(g_receivedMutex);
            m_received.append(buffer, static_cast<size_t>(n));
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\r') {
                line += buffer[i];
                continue;
            }
            std::string answer;
            if (line.rfind("ATD", 0) == 0) {
                answer = m_reply.empty() ? "" : "\r\n" + m_reply + "\r\n";
            } else if (line == "AT+CEER" && !m_errorReport.empty()) {
                answer = "\r\n+CEER: " + m_errorReport + "\r\n\r\nOK\r\n";
            } else if (line.rfind("AT", 0) == 0) {
                answer = "\r\nOK\r\n";
            }
            line.clear();
            if (!answer.empty()) [[maybe_unused]] auto w = write(m_master, answer.data(), answer.size());
            if (!answer.empty() && m_hangUpAfterDial && answer.find("OK") == std::string::npos) {
                usleep(100000);
                close(m_master);
                m_master = -1;
                return;
            }
        }
    }
}

}  // namespace vr31k::test

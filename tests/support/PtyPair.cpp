#include "support/PtyPair.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace vr31k::test {

PtyPair::PtyPair() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_slavePath = name;
    m_slaveHold = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    tcgetattr(m_slaveHold, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slaveHold, TCSANOW, &tio);
}

PtyPair::~PtyPair() {
    if (m_slaveHold >= 0) close(m_slaveHold);
    CloseMaster();
}

void PtyPair::CloseMaster() {
    if (m_master >= 0) close(m_master);
    m_master = -1;
}

void PtyPair::Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else usleep(1000);
    }
}

std::string PtyPair::Receive(size_t atLeast, int timeoutMs) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < atLeast) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd fd{m_master, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[4096];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

}  // namespace vr31k::test

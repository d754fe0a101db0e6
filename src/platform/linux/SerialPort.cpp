// termios backend of ISerialPort. Our own small code: the card's port may be a
// pseudo-terminal (the simulator), whose modem-line ioctls fail with ENOTTY.
#include "platform/SerialPort.h"

#include "platform/linux/Machine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vr31k {
namespace {

// Modem-line ioctls are absent on pseudo-terminals and emulated ttys: not an error.
bool ModemLineIoctl(int fd, unsigned long request, int bits) {
    if (ioctl(fd, request, &bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL || errno == ENOTSUP;
}

class LinuxSerialPort final : public ISerialPort {
public:
    LinuxSerialPort() : m_wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~LinuxSerialPort() override {
        Close();
        if (m_wake >= 0) ::close(m_wake);
    }

    SerialOpenResult Open(const std::string& path, bool applyLineSettings) override {
        if (m_fd >= 0 || m_wake < 0) return SerialOpenResult::OpenFailed;
        // A port held by another program fails as a busy port: TIOCEXCL stops other
        // openers (but not root); the lock covers root among cooperating programs.
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return SerialOpenResult::OpenFailed;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return SerialOpenResult::OpenFailed;
        }
        m_fd = fd;
        ioctl(m_fd, TIOCEXCL);
        if (!Purge()) return SerialOpenResult::ConfigFailed;
        termios tio{};
        if (tcgetattr(m_fd, &tio) != 0) return SerialOpenResult::ConfigFailed;
        if (applyLineSettings) {
            cfmakeraw(&tio);
            cfsetispeed(&tio, B115200);
            cfsetospeed(&tio, B115200);
            tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
            tio.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS | HUPCL;
            tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
            tio.c_cc[VMIN] = 0;
            tio.c_cc[VTIME] = 0;
            if (tcsetattr(m_fd, TCSANOW, &tio) != 0) return SerialOpenResult::ConfigFailed;
        }
        if (!SetDtr(true)) return SerialOpenResult::ConfigFailed;
        return SerialOpenResult::Ok;
    }

    bool IsOpen() const override { return m_fd >= 0; }

    bool SetFlowControl(FlowControl mode) override {
        if (m_fd < 0) return true;
        termios tio{};
        if (tcgetattr(m_fd, &tio) != 0) return false;
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
        switch (mode) {
            case FlowControl::RtsCts: tio.c_cflag |= CRTSCTS; break;
            case FlowControl::XonXoff:
                tio.c_iflag |= IXON | IXOFF;
                tio.c_cc[VSTART] = 0x11;
                tio.c_cc[VSTOP] = 0x13;
                break;
            case FlowControl::DsrDtr:  // Linux has no DSR/DTR handshake: no flow control
            case FlowControl::None: break;
        }
        return tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }

    bool Purge() override { return m_fd < 0 || tcflush(m_fd, TCIOFLUSH) == 0 || errno == ENOTTY; }

    bool SetDtr(bool on) override {
        if (m_fd < 0) return true;
        return ModemLineIoctl(m_fd, on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR);
    }

    bool Close() override {
        if (m_fd < 0) return true;
        const int fd = m_fd;
        m_fd = -1;
        // Exclusive mode belongs to the tty, not to this descriptor: a port that outlives
        // us (a pseudo-terminal) would refuse every later opener but root.
        ioctl(fd, TIOCNXCL);
        return ::close(fd) == 0;
    }

    long Read(char* buffer, size_t size) override {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n > 0) return n;
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        return -1;  // end of the line (the device went away) or a failure
    }

    long Write(const char* data, size_t size) override {
        const ssize_t n = ::write(m_fd, data, size);
        if (n >= 0) return n;
        return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    }

    SerialWaitResult Wait(bool wantWrite, int timeoutMs) override {
        pollfd fds[2] = {{m_fd, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}, {m_wake, POLLIN, 0}};
        SerialWaitResult result;
        const int n = poll(fds, 2, timeoutMs);
        if (n < 0) {
            result.failed = errno != EINTR;
            return result;
        }
        result.readable = (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        result.writable = (fds[0].revents & POLLOUT) != 0;
        result.woken = (fds[1].revents & POLLIN) != 0;
        result.failed = (fds[0].revents & POLLNVAL) != 0;
        return result;
    }

    void Wake() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
    }

    void ClearWake() override {
        uint64_t value = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_wake, &value, sizeof value);
    }

private:
    int m_fd = -1;
    const int m_wake;
};

}  // namespace

std::unique_ptr<ISerialPort> MakeSerialPort() { return std::make_unique<LinuxSerialPort>(); }

}  // namespace vr31k

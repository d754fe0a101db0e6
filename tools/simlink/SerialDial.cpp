#include "simlink/SerialDial.h"

#include "platform/DialupService.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace vr31k::sim {

namespace {

using Clock = std::chrono::steady_clock;

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
            continue;
        }
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "^M";
        else if (static_cast<unsigned char>(c) < 0x20) out += '?';
        else out += c;
    }
    return out;
}

// Reads lines until one starts with a word of `words`; returns its index, -1 on
// time-out, -2 when the port hung up.
int Expect(int fd, const std::vector<std::string>& words, int timeoutMs, const LogLine& log) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return -1;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        if ((p.revents & POLLIN) == 0) return -2;
        char c;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return -2;
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (line.empty()) continue;
        log(line);
        for (size_t i = 0; i < words.size(); ++i) {
            if (line.rfind(words[i], 0) == 0) return static_cast<int>(i);
        }
        line.clear();
    }
}

}  // namespace

int OpenModemPort(const std::string& port) {
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tio.c_cflag |= CLOCAL | CREAD | CRTSCTS;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

int DialOverSerial(int fd, const std::string& dialString, int answerTimeoutMs, const LogLine& log) {
    static const std::vector<std::string> kAnswers = {"CONNECT", "NO CARRIER", "ERROR", "BUSY", "NO DIALTONE",
                                                      "NO ANSWER", "OK"};
    static const int kErrors[] = {0, dialerr::kNoAnswer, dialerr::kFromDevice, dialerr::kLineBusy,
                                  dialerr::kNoDialtone, dialerr::kNoAnswer};
    const auto exchange = [&](const std::string& command, const std::string& wanted, int timeoutMs) -> int {
        log("send (" + Printable(command + "\r") + ")");
        if (!WriteAll(fd, command + "\r")) return dialerr::kPortDisconnected;
        log("expect (" + wanted + ")");
        for (;;) {
            const int got = Expect(fd, kAnswers, timeoutMs, log);
            if (got == -1) {
                log("alarm");
                log("Failed");
                return dialerr::kNoAnswer;
            }
            if (got == -2) {
                log("Modem hangup");
                return dialerr::kPortDisconnected;
            }
            if (kAnswers[static_cast<size_t>(got)] == wanted) {
                log(" -- got it");
                return 0;
            }
            if (kAnswers[static_cast<size_t>(got)] != "OK") {
                log(" -- failed");
                log("Failed (" + kAnswers[static_cast<size_t>(got)] + ")");
                return kErrors[got];
            }
        }
    };
    const int init = exchange("AT", "OK", 5000);
    if (init != 0) return init;
    return exchange("ATD" + dialString, "CONNECT", answerTimeoutMs);
}

}  // namespace vr31k::sim

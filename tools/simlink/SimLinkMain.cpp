// vr31k-simlink: the simulated link, for the demo and for machines without kernel PPP.
// The dial-up service runs it in pppd's place only when VR31K_DIAL_LINK=simulated. It
// takes the same per-dial files pppd would, dials through the serial port (AT, then the
// dial string, waiting for CONNECT), brings up a TUN interface named like pppd's when
// this process may create one, logs in pppd's words, and moves traffic on demand:
//   SIGUSR1                       one burst each way (VR31K_SIMLINK_BURST bytes, 64 KiB)
//   VR31K_SIMLINK_TRAFFIC=N       N bytes per second each way while up
// pppd's ip-up and ip-down run as simlink/LinkScripts.h says. It ends like pppd:
// SIGTERM/SIGINT/SIGHUP (status 5), the modem hanging up (16); and with its controller
// (--parent PID): a link must not outlive the program that records it unnoticed, so the
// end of the thread that started it sends SIGTERM here.
#include "platform/linux/PppdCommand.h"
#include "simlink/LinkScripts.h"
#include "simlink/SerialDial.h"
#include "simlink/TunDevice.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace vr31k;

void Log(const std::string& line) {
    std::string clean;
    for (char c : line) clean += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    std::printf("%s\n", clean.c_str());
    std::fflush(stdout);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ReadFd(int fd) {
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

size_t EnvSize(const char* name, size_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return static_cast<size_t>(std::strtoull(text, nullptr, 10));
}

struct Job {
    std::string port;
    std::string user;
    std::string password;
    std::string dial;
    std::string ipparam;
    int answerTimeoutMs = 60000;
};

bool ReadJob(const std::string& optionsPath, const std::string& chatPath, Job& job) {
    const auto options = SplitPppdWords(ReadText(optionsPath));
    for (size_t i = 0; i < options.size(); ++i) {
        if (options[i].rfind("/dev/", 0) == 0 && job.port.empty()) job.port = options[i];
        if (options[i] == "user" && i + 1 < options.size()) job.user = options[i + 1];
        if (options[i] == "ipparam" && i + 1 < options.size()) job.ipparam = options[i + 1];
        if (options[i] == "passwordfd" && i + 1 < options.size()) job.password = ReadFd(std::atoi(options[i + 1].c_str()));
    }
    const auto chat = SplitPppdWords(ReadText(chatPath));
    for (size_t i = 0; i < chat.size(); ++i) {
        if (chat[i].rfind("ATD", 0) == 0) job.dial = chat[i].substr(3);
        if (chat[i] == "TIMEOUT" && i + 1 < chat.size()) job.answerTimeoutMs = std::atoi(chat[i + 1].c_str()) * 1000;
    }
    return !job.port.empty() && !job.dial.empty();
}

}  // namespace

int main(int argc, char** argv) {
    std::string optionsPath, chatPath;
    long parent = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--options") == 0) optionsPath = argv[i + 1];
        if (std::strcmp(argv[i], "--chat") == 0) chatPath = argv[i + 1];
        if (std::strcmp(argv[i], "--parent") == 0) parent = std::strtol(argv[i + 1], nullptr, 10);
    }
    Job job;
    if (optionsPath.empty() || chatPath.empty() || !ReadJob(optionsPath, chatPath, job)) {
        Log("vr31k-simlink: usage: vr31k-simlink --options FILE --chat FILE [--parent PID] (the dial-up service's "
            "files)");
        return 2;
    }

    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&signals, s);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int sigFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (parent > 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // A controller that died before the line above is not noticed by it.
        if (getppid() != parent) {
            Log("vr31k-simlink: the controller " + std::to_string(parent) + " is gone");
            return 5;
        }
    }

    const int port = sim::OpenModemPort(job.port);
    if (port < 0) {
        Log("Failed to open " + job.port + ": " + std::strerror(errno));
        return 7;
    }
    if (sim::DialOverSerial(port, job.dial, job.answerTimeoutMs, Log) != 0) {
        Log("Connect script failed");
        close(port);
        return 8;
    }
    Log("Serial connection established.");

    sim::TunDevice tun;
    if (tun.Create("ppp%d")) {
        Log("Using interface " + tun.Name());
        Log("Connect: " + tun.Name() + " <--> " + job.port);
    } else {
        Log(std::string("simulated link: no TUN interface (") + std::strerror(errno) +
            "); the link runs without one and counts no traffic");
    }
    Log("sent [PAP AuthReq id=0x1 user=\"" + job.user + "\" password=<hidden>]");
    Log("rcvd [PAP AuthAck id=0x1 \"\"]");
    Log("PAP authentication succeeded");
    if (tun.Fd() >= 0 && !tun.Configure("10.64.64.64", "10.64.64.65")) {
        Log(std::string("simulated link: cannot configure ") + tun.Name() + ": " + std::strerror(errno));
    } else if (tun.Fd() >= 0 && !tun.TakeDefaultRoute()) {
        Log("simulated link: not replacing the existing default route");
    }
    Log("local  IP address 10.64.64.64");
    Log("remote IP address 10.64.64.65");
    const sim::ScriptLink scriptLink{tun.Name(), job.port, "10.64.64.64", "10.64.64.65", job.ipparam};
    const time_t upAt = time(nullptr);
    if (tun.Fd() >= 0) {
        if (const int status = sim::RunLinkScript(true, scriptLink, 0); status != 0) {
            Log("Script ip-up finished (pid " + std::to_string(getpid()) + "), status = 0x" + std::to_string(status));
        }
    }

    const size_t rate = EnvSize("VR31K_SIMLINK_TRAFFIC", 0);
    const size_t burst = EnvSize("VR31K_SIMLINK_BURST", 64 * 1024);
    const int timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    if (rate > 0) {
        itimerspec every{{0, 100'000'000}, {0, 100'000'000}};
        timerfd_settime(timerFd, 0, &every, nullptr);
    }

    int status = 0;
    for (;;) {
        pollfd fds[4] = {{sigFd, POLLIN, 0}, {port, POLLIN, 0}, {tun.Fd(), POLLIN, 0}, {timerFd, POLLIN, 0}};
        if (poll(fds, 4, -1) < 0) {
            if (errno == EINTR) continue;
            status = 1;
            break;
        }
        if (fds[0].revents != 0) {
            signalfd_siginfo info{};
            if (read(sigFd, &info, sizeof info) == sizeof info) {
                if (info.ssi_signo == SIGUSR1) {
                    tun.Receive(burst);
                    tun.Send(burst);
                } else {
                    Log("Terminating on signal " + std::to_string(info.ssi_signo));
                    Log("Connection terminated.");
                    status = 5;
                    break;
                }
            }
        }
        if (fds[1].revents != 0) {
            char buffer[256];
            const ssize_t n = read(port, buffer, sizeof buffer);
            const bool hungUp = (fds[1].revents & (POLLHUP | POLLERR)) != 0 || n == 0 ||
                                (n > 0 && std::string(buffer, static_cast<size_t>(n)).find("NO CARRIER") != std::string::npos);
            if (hungUp) {
                Log("Modem hangup");
                Log("Connection terminated.");
                status = 16;
                break;
            }
        }
        if (fds[2].revents != 0) tun.Drain();
        if (fds[3].revents != 0) {
            uint64_t ticks = 0;
            if (read(timerFd, &ticks, sizeof ticks) == sizeof ticks) {
                tun.Receive(rate / 10 * ticks);
                tun.Send(rate / 10 * ticks);
            }
        }
    }
    if (tun.Fd() >= 0) sim::RunLinkScript(false, scriptLink, time(nullptr) - upAt);
    tun.Close();
    close(port);
    return status;
}

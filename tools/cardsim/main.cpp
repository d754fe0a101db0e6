// vr31k-cardsim: a simulated card on a pseudo-terminal, for trying the utility and
// vr31kctl without the card. Prints the port's path on the first line of output, then
// serves until interrupted. With --control PATH it takes "key=value" lines on a local
// socket and changes the card while it runs (see --help).
#include "CardSimulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

constexpr const char* kHelp =
    "usage: vr31k-cardsim [OPTIONS]\n"
    "       vr31k-cardsim --tell CONTROL-SOCKET 'key=value ...'\n"
    "Serves a simulated VR31K card on a pseudo-terminal and prints its path.\n"
    "\n"
    "  --sim STATE            ready, pin, puk, busy, failure, wrong, absent, blocked (ready)\n"
    "  --manufacturer TEXT    answer to ATI0 (KORVANE)\n"
    "  --model TEXT           answer to ATI1 (VR31K)\n"
    "  --firmware TEXT        answer to AT+GMR\n"
    "  --number NUMBER|none   the subscriber number (none: no number stored)\n"
    "  --signal N             signal level 0-4 (3)\n"
    "  --pin-lock on|off      PIN request at power-on (off; on with --sim pin)\n"
    "  --pin CODE --puk CODE  the SIM's codes (1234, 12345678)\n"
    "  --fault FAULT          none, silent, echo, split, garbage, unsolicited, flood\n"
    "                         (unsolicited: signal, registration, ring and boot notices\n"
    "                         before, inside and after every reply; flood: lines\n"
    "                         without end after a command's echo)\n"
    "  --link PATH            also make PATH a symbolic link to the port\n"
    "  --control PATH         a local socket taking lines of key=value settings:\n"
    "                         sim= busy=MS signal= fault= pinlock= number= manufacturer=\n"
    "                         model= firmware= pin= puk= pin-attempts= puk-attempts= pause=MS\n";

int OpenControlSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof addr.sun_path) return -1;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Client side of the control socket: sends one line, prints the answer.
int Tell(const std::string& path, const std::string& line) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof addr.sun_path) return 1;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        std::cerr << "vr31k-cardsim: cannot reach " << path << ": " << std::strerror(errno) << "\n";
        close(fd);
        return 1;
    }
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t w = write(fd, text.data(), text.size());
    shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[256];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) answer.append(buffer, static_cast<size_t>(n));
    close(fd);
    std::cout << answer;
    return answer.rfind("ok", 0) == 0 ? 0 : 1;
}

void ServeControlClient(int client, vr31k::sim::CardSimulator& card) {
    std::string pending;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        pending.append(buffer, static_cast<size_t>(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::string answer;
            card.Control(pending.substr(0, eol), answer);
            answer.push_back('\n');
            [[maybe_unused]] const ssize_t w = write(client, answer.data(), answer.size());
            pending.erase(0, eol + 1);
        }
    }
    close(client);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vr31k::sim;
    SimOptions options;
    std::string link, control;
    if (argc == 4 && std::string(argv[1]) == "--tell") return Tell(argv[2], argv[3]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "vr31k-cardsim: unknown option or missing value: " << arg << "\n" << kHelp;
            return 2;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (arg == "--sim") ok = ParseSimState(value, options.sim);
        else if (arg == "--manufacturer") options.manufacturer = value;
        else if (arg == "--model") options.model = value;
        else if (arg == "--firmware") options.firmware = value;
        else if (arg == "--number") options.number = value == "none" ? std::string() : value;
        else if (arg == "--signal") options.signal = std::atoi(value.c_str());
        else if (arg == "--pin-lock") { options.pinLock = value == "on"; ok = value == "on" || value == "off"; }
        else if (arg == "--pin") options.pin = value;
        else if (arg == "--puk") options.puk = value;
        else if (arg == "--fault") ok = ParseFault(value, options.fault);
        else if (arg == "--link") link = value;
        else if (arg == "--control") control = value;
        else ok = false;
        if (!ok) {
            std::cerr << "vr31k-cardsim: bad option: " << arg << " " << value << "\n" << kHelp;
            return 2;
        }
    }
    CardSimulator card(options);
    std::string error;
    if (!card.Start(error)) {
        std::cerr << "vr31k-cardsim: " << error << "\n";
        return 1;
    }
    if (!link.empty()) {
        unlink(link.c_str());
        if (symlink(card.PortPath().c_str(), link.c_str()) != 0) {
            std::cerr << "vr31k-cardsim: cannot link " << link << ": " << std::strerror(errno) << "\n";
            return 1;
        }
    }
    const int controlFd = control.empty() ? -1 : OpenControlSocket(control);
    if (!control.empty() && controlFd < 0) {
        std::cerr << "vr31k-cardsim: cannot listen on " << control << "\n";
        return 1;
    }
    std::cout << card.PortPath() << std::endl;

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    while (g_stop == 0) {
        pollfd fd{controlFd, POLLIN, 0};
        if (poll(&fd, controlFd >= 0 ? 1 : 0, 200) > 0) {
            const int client = accept4(controlFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) ServeControlClient(client, card);
        }
    }
    card.Stop();
    if (!link.empty()) unlink(link.c_str());
    if (controlFd >= 0) unlink(control.c_str());
    return 0;
}

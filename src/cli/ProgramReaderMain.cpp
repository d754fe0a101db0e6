// vr31k-program-reader DATA-FOLDER INTERFACE TTY BOOT INDEX START: started (as root,
// detached) by the link hook's ip-up for a link over the card. For the link's lifetime it
// keeps the programs kept off the link off as their cgroups appear, and writes the
// per-program figures into the spool every 10 s; on SIGTERM (the ip-down hook) and when
// the interface is gone it writes them a last time, final.
#include "cli/ProgramCounting.h"
#include "platform/linux/DesktopEntries.h"
#include "platform/linux/LinkIdentity.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string_view>

namespace {

constexpr int kSaveEveryMs = 10'000;

bool ParseNumber(const char* text, int64_t& value) {
    const std::string_view view(text);
    return std::from_chars(view.data(), view.data() + view.size(), value).ptr == view.data() + view.size() && value > 0;
}

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace

int main(int argc, char** argv) {
    using namespace vr31k;
    cli::CountedLink link;
    if (argc != 7 || argv[1][0] != '/' || !ParseNumber(argv[5], link.index) || !ParseNumber(argv[6], link.start)) {
        return 2;
    }
    link.dataFolder = argv[1];
    link.interfaceName = argv[2];
    link.tty = argv[3];
    link.boot = argv[4];
    link.cgroupRoot = CgroupV2Root();
    link.applicationFolders = SystemApplicationFolders();
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, s);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    const LinkIdentifier identify = LinuxLinkIdentifier();

    cli::ProgramCounting counting(link);
    CgroupWatch watch(link.cgroupRoot);
    counting.Refresh(watch.Changed());
    auto nextSave = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSaveEveryMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextSave - std::chrono::steady_clock::now());
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {watch.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(std::max<int64_t>(0, left.count())));
        if (ready > 0 && fds[0].revents != 0) break;  // ip-down: its final figures
        // A new cgroup: one of a program kept off the link is kept off at once.
        if (ready > 0 && fds[1].revents != 0) counting.Refresh(watch.Changed());
        if (std::chrono::steady_clock::now() < nextSave) continue;
        nextSave += std::chrono::milliseconds(kSaveEveryMs);
        const LinkIdentity now = identify(link.interfaceName);
        if (now.boot != link.boot || now.index != link.index) {
            // The link ended with no ip-down (pppd killed): the last figures, and its table goes.
            counting.Save(true, Now());
            RemoveProgramTable(link.index);
            return 0;
        }
        counting.Refresh(watch.Changed());
        errno = 0;
        if (!counting.Save(false, Now()).empty() && errno == ENOENT) return 0;  // the table is gone
    }
    counting.Save(true, Now());
    return 0;
}

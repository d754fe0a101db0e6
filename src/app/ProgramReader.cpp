#include "app/LinkPrograms.h"

#include "platform/linux/DesktopEntries.h"
#include "platform/linux/LinkIdentity.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace vr31k {

namespace {

constexpr int kSaveEveryMs = 10'000;

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace

int RunProgramReader(CountedLink link) {
    link.cgroupRoot = CgroupV2Root();
    link.applicationFolders = SystemApplicationFolders();
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, s);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    const LinkIdentifier identify = LinuxLinkIdentifier();

    ProgramCounting counting(link);
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

}  // namespace vr31k

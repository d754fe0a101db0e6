// The folder watch over inotify: one thread polls the inotify descriptor and an eventfd
// that stops it. It shares nothing with the caller but the notice it calls.
#include "platform/FolderWatch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

using Clock = std::chrono::steady_clock;

// A replacing rename arrives as IN_MOVED_TO; a write in place (the history's engine)
// as IN_MODIFY and IN_CLOSE_WRITE; a removal as IN_DELETE or IN_MOVED_FROM.
constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                             IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;

class InotifyFolderWatch final : public IFolderWatch {
public:
    InotifyFolderWatch(int inotifyFd, int stopFd, std::vector<std::string> names, std::chrono::milliseconds debounce,
                       FolderNotice notice)
        : m_inotify(inotifyFd), m_stop(stopFd), m_names(std::move(names)), m_debounce(debounce),
          m_notice(std::move(notice)), m_thread([this] { Run(); }) {}
    ~InotifyFolderWatch() override {
        Stop();
        close(m_inotify);
        close(m_stop);
    }

    void Stop() override {
        if (!m_thread.joinable()) return;
        const uint64_t one = 1;
        while (write(m_stop, &one, sizeof one) < 0 && errno == EINTR) {}
        m_thread.join();
    }

private:
    void Run() {
        std::set<std::string> pending;
        Clock::time_point first, last;
        for (;;) {
            int timeout = -1;
            if (!pending.empty()) {
                const Clock::time_point due = std::min(last + m_debounce, first + 4 * m_debounce);
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
                timeout = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
            }
            std::array<pollfd, 2> fds{{{m_inotify, POLLIN, 0}, {m_stop, POLLIN, 0}}};
            const int ready = poll(fds.data(), fds.size(), timeout);
            if (ready < 0 && errno != EINTR) return;
            if (fds[1].revents != 0) return;
            if (fds[0].revents != 0) {
                const bool quiet = pending.empty();
                if (Drain(pending)) {
                    last = Clock::now();
                    if (quiet) first = last;
                }
                continue;
            }
            if (ready == 0 && !pending.empty()) {
                m_notice(pending);
                pending.clear();
            }
        }
    }

    // Reads the waiting events; true when one named a watched file.
    bool Drain(std::set<std::string>& pending) {
        alignas(inotify_event) std::array<char, 8192> buffer;
        bool any = false;
        for (;;) {
            const ssize_t n = read(m_inotify, buffer.data(), buffer.size());
            if (n <= 0) return any;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if ((event->mask & IN_Q_OVERFLOW) != 0) {
                    // Events were lost: every file may have changed.
                    pending.insert(m_names.begin(), m_names.end());
                    any = true;
                    continue;
                }
                if (event->len == 0) continue;
                const std::string name(event->name);
                if (std::find(m_names.begin(), m_names.end(), name) == m_names.end()) continue;
                pending.insert(name);
                any = true;
            }
        }
    }

    const int m_inotify;
    const int m_stop;
    const std::vector<std::string> m_names;
    const std::chrono::milliseconds m_debounce;
    const FolderNotice m_notice;
    std::thread m_thread;  // last: starts once everything it reads is set
};

}  // namespace

std::unique_ptr<IFolderWatch> WatchFolder(const std::string& folder, std::vector<std::string> names,
                                          std::chrono::milliseconds debounce, FolderNotice notice) {
    const int inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd < 0) return nullptr;
    const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0 || inotify_add_watch(inotifyFd, folder.c_str(), kEvents) < 0) {
        if (stopFd >= 0) close(stopFd);
        close(inotifyFd);
        return nullptr;
    }
    return std::make_unique<InotifyFolderWatch>(inotifyFd, stopFd, std::move(names), debounce, std::move(notice));
}

}  // namespace vr31k

#include "common/FolderLock.h"

#include "common/WaitShare.h"

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

// The folders this process holds, each with its descriptor, holder thread and depth.
struct Holding {
    int fd = -1;
    std::thread::id owner;
    int depth = 0;
};

std::mutex g_mutex;
std::condition_variable g_released;
std::map<std::pair<dev_t, ino_t>, Holding> g_held;

constexpr auto kRetry = std::chrono::milliseconds(10);

thread_local std::string t_lastProblem;

// "5 s", "0.25 s": a shortened wait is told as it was.
std::string Seconds(std::chrono::milliseconds wait) {
    std::string text = std::to_string(wait.count() / 1000);
    if (const auto ms = wait.count() % 1000; ms != 0) {
        std::string fraction = std::to_string(1000 + ms).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

}  // namespace

std::chrono::milliseconds FolderLock::DefaultWait() { return ShareOfWait(kDefaultWait); }

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0) close(fd);
        return;
    }
    m_device = st.st_dev;
    m_inode = st.st_ino;
    const auto key = std::make_pair(m_device, m_inode);
    const auto gaveUp = [&](const char* who) {
        m_problem = "the data folder " + folder + " stayed locked by " + who + " for " + Seconds(wait) +
                    "; nothing was changed (try again)";
        t_lastProblem = m_problem;
    };
    {
        std::unique_lock lock(g_mutex);
        const auto self = std::this_thread::get_id();
        const bool free = g_released.wait_until(lock, deadline, [&] {
            const auto it = g_held.find(key);
            return it == g_held.end() || it->second.owner == self;
        });
        if (!free) {
            close(fd);
            gaveUp("another thread of this program");
            return;
        }
        if (auto it = g_held.find(key); it != g_held.end()) {
            ++it->second.depth;
            close(fd);
            m_held = true;
            return;
        }
        g_held[key] = Holding{fd, self, 1};  // this thread's from here; others wait above
    }
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            {
                std::lock_guard lock(g_mutex);
                g_held.erase(key);
            }
            g_released.notify_all();
            close(fd);
            gaveUp("another program");
            return;
        }
        std::this_thread::sleep_for(kRetry);
    }
    m_held = true;
}

const std::string& FolderLock::LastProblem() { return t_lastProblem; }

void FolderLock::ClearLastProblem() { t_lastProblem.clear(); }

FolderLock::~FolderLock() {
    if (!m_held) return;
    {
        std::lock_guard lock(g_mutex);
        const auto it = g_held.find(std::make_pair(m_device, m_inode));
        if (it == g_held.end() || --it->second.depth > 0) return;
        close(it->second.fd);  // releases the flock
        g_held.erase(it);
    }
    g_released.notify_all();
}

}  // namespace vr31k

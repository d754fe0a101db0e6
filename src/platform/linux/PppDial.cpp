#include "platform/linux/PppDial.h"

#include "platform/linux/CardErrorReport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace vr31k {

namespace {

constexpr size_t kRecentLines = 40;

// Moves a descriptor above the standard ones so dup2 onto 3 always clears close-on-exec.
int Lift(int fd) {
    if (fd < 0) return fd;
    const int lifted = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return lifted;
}

}  // namespace

PppDial::PppDial(Launch launch, DialNotifier notifier, std::function<void()> onChange)
    : m_launch(std::move(launch)), m_notifier(std::move(notifier)), m_onChange(std::move(onChange)) {}

int PppDial::Start(Launch launch, DialNotifier notifier, std::function<void()> onChange,
                    std::unique_ptr<PppDial>& out) {
    std::unique_ptr<PppDial> dial(new PppDial(std::move(launch), std::move(notifier), std::move(onChange)));

    int logPipe[2];
    int passwordPipe[2];
    if (pipe2(logPipe, O_CLOEXEC) != 0) return dialerr::kUnknown;
    if (pipe2(passwordPipe, O_CLOEXEC) != 0) {
        close(logPipe[0]);
        close(logPipe[1]);
        return dialerr::kUnknown;
    }
    const int logRead = logPipe[0];
    const int logWrite = Lift(logPipe[1]);
    const int passwordRead = Lift(passwordPipe[0]);
    // The whole secret fits in the pipe's buffer; the child reads it to end of file.
    const std::string& password = dial->m_launch.password;
    const bool written = write(passwordPipe[1], password.data(), password.size()) ==
                         static_cast<ssize_t>(password.size());
    close(passwordPipe[1]);
    if (logWrite < 0 || passwordRead < 0 || !written) {
        close(logRead);
        if (logWrite >= 0) close(logWrite);
        if (passwordRead >= 0) close(passwordRead);
        return dialerr::kUnknown;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, logWrite, 1);
    posix_spawn_file_actions_adddup2(&actions, logWrite, 2);
    posix_spawn_file_actions_adddup2(&actions, passwordRead, 3);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGHUP);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    // Its own process group: a Ctrl-C meant for us reaches the dialler only through
    // our orderly hang-up.
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv;
    for (std::string& arg : dial->m_launch.argv) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(logWrite);
    close(passwordRead);
    if (spawnError != 0) {
        close(logRead);
        dial->RemovePrivateFiles();
        return spawnError == EACCES || spawnError == EPERM ? dialerr::kAccessDenied : dialerr::kFileNotOpened;
    }
    dial->m_pid = pid;
    dial->m_thread = std::thread(&PppDial::Run, dial.get(), logRead);
    out = std::move(dial);
    return 0;
}

PppDial::~PppDial() {
    bool finished;
    {
        std::lock_guard lock(m_mutex);
        finished = m_snapshot.finished;
    }
    if (!finished && m_pid > 0) End(std::chrono::milliseconds(2000), std::chrono::milliseconds(2000));
    if (m_thread.joinable()) m_thread.join();
    RemovePrivateFiles();
}

PppDial::Snapshot PppDial::Get() const {
    std::lock_guard lock(m_mutex);
    return m_snapshot;
}

std::vector<std::string> PppDial::RecentLog() const {
    std::lock_guard lock(m_mutex);
    return {m_recent.begin(), m_recent.end()};
}

void PppDial::RemovePrivateFiles() {
    std::string dir;
    {
        std::lock_guard lock(m_mutex);
        if (m_privateRemoved || m_launch.privateDir.empty()) return;
        m_privateRemoved = true;
        dir = m_launch.privateDir;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

bool PppDial::End(std::chrono::milliseconds termWait, std::chrono::milliseconds killWait) {
    std::unique_lock lock(m_mutex);
    if (m_snapshot.finished) return true;
    m_endedByUs = true;
    // The process is not reaped before `finished` is set, so the pid is still ours.
    kill(m_pid, SIGTERM);
    if (m_finishedCv.wait_for(lock, termWait, [&] { return m_snapshot.finished; })) return true;
    kill(m_pid, SIGKILL);
    return m_finishedCv.wait_for(lock, killWait, [&] { return m_snapshot.finished; });
}

void PppDial::Run(int logFd) {
    const auto notify = [&](uint32_t state, int error) {
        if (m_notifier) m_notifier(static_cast<ConnHandle>(m_pid), state, error);
    };
    notify(dialstate::kOpenPort, 0);

    // A helper the dialler started may keep the log pipe open after the dialler is
    // gone; the process descriptor tells us the dialler itself has ended.
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0));
    bool exited = false;
    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{logFd, POLLIN, 0}, {pidFd, POLLIN, 0}};
        if (poll(fds, pidFd >= 0 && !exited ? 2 : 1, exited ? 0 : -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents != 0) exited = true;
        if (fds[0].revents == 0) {
            if (exited) break;  // nothing more to read from a dialler that is gone
            continue;
        }
        const ssize_t n = read(logFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) pending.append(buffer, static_cast<size_t>(n));
        const bool atEnd = n <= 0;
        if (atEnd && !pending.empty()) pending += '\n';  // a last line without its break
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            PppdLogReader::Event event;
            bool nowConnected = false;
            {
                std::lock_guard lock(m_mutex);
                event = m_log.Feed(line);
                m_recent.push_back(line);
                if (m_recent.size() > kRecentLines) m_recent.pop_front();
                if (!event.interfaceName.empty()) m_snapshot.interfaceName = event.interfaceName;
                if (event.state) {
                    m_snapshot.state = *event.state;
                    if (*event.state == dialstate::kConnected) {
                        m_snapshot.connected = true;
                        m_snapshot.upSince = std::chrono::steady_clock::now();
                        nowConnected = true;
                    }
                }
            }
            if (event.state) notify(*event.state, 0);
            if (nowConnected) {
                RemovePrivateFiles();
                if (m_onChange) m_onChange();
            }
        }
        if (atEnd) break;
    }
    close(logFd);
    if (pidFd >= 0) close(pidFd);

    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 5;
    bool askCard;
    {
        std::lock_guard lock(m_mutex);
        askCard = m_log.WantsCardReason(exitStatus, m_endedByUs);
    }
    // The dialler has let go of the port; ModemManager is still kept off it.
    const std::string cardReason = askCard ? AskCardWhyItRefused(m_launch.port) : std::string();
    if (m_launch.inhibit) m_launch.inhibit->Release();
    int error;
    bool wasConnected;
    uint32_t lastState;
    {
        std::lock_guard lock(m_mutex);
        if (!cardReason.empty()) m_log.NoteCardReason(cardReason);
        wasConnected = m_snapshot.connected;
        lastState = m_snapshot.state;
        error = m_log.Finish(exitStatus, m_endedByUs);
        m_snapshot.cause = m_log.Cause(exitStatus, m_endedByUs);
    }
    RemovePrivateFiles();
    // The failure notice goes out before the dial counts as finished, so whoever sees
    // the handle gone has already been told why.
    if (!wasConnected) notify(lastState, error != 0 ? error : dialerr::kDisconnection);
    {
        std::lock_guard lock(m_mutex);
        m_snapshot.error = error;
        m_snapshot.connected = false;
        m_snapshot.finished = true;
        m_snapshot.state = dialstate::kDisconnected;
    }
    m_finishedCv.notify_all();
    if (m_onChange) m_onChange();
}

}  // namespace vr31k

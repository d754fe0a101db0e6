#include "support/ProcessRun.h"

#include "common/DataFolder.h"
#include "support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <iterator>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vr31k::test {

namespace {

// A program another user may run where it is: every folder above it open to others. A
// checkout in root's home (0700) is not, so the program is run from a copy in a folder
// of its own that others may enter, made once per program and process.
std::string ProgramFor(RunAs user, const std::string& path) {
    if (user == nullptr || path.empty() || path[0] != '/') return path;
    bool reachable = true;
    for (std::filesystem::path p = path; reachable && p != p.parent_path(); p = p.parent_path()) {
        struct stat st {};
        reachable = stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXOTH) != 0;
    }
    if (reachable) return path;
    static std::mutex mutex;
    static std::map<std::string, std::string> copies;
    static const struct Folder {
        std::string path;
        Folder() {
            char name[] = "/tmp/vr31k-programs-XXXXXX";
            if (mkdtemp(name) != nullptr && chmod(name, 0755) == 0) path = name;
        }
        ~Folder() {
            std::error_code ignored;
            if (!path.empty()) std::filesystem::remove_all(path, ignored);
        }
    } folder;
    const std::lock_guard lock(mutex);
    auto& copy = copies[path];
    if (copy.empty() && !folder.path.empty()) {
        const std::string target = folder.path + "/" + std::filesystem::path(path).filename().string();
        std::error_code error;
        if (std::filesystem::copy_file(path, target, std::filesystem::copy_options::overwrite_existing, error) &&
            chmod(target.c_str(), 0755) == 0) {
            copy = target;
        }
    }
    return copy.empty() ? path : copy;
}

// Runs an administration command quietly; useradd and userdel retry while another test
// holds the account database's lock.
int Admin(const std::vector<std::string>& argv) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const RunResult r = RunProgram(nullptr, argv);
        if (r.status != 10 && r.status != 1) return r.status;  // 10 (1 for userdel): the files are locked
        if (r.err.find("lock") == std::string::npos) return r.status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

void BecomeUser(RunAs user) {
    if (user == nullptr) return;
    if (initgroups(user->Name().c_str(), user->Gid()) != 0 || setgid(user->Gid()) != 0 ||
        setuid(user->Uid()) != 0) {
        _exit(126);
    }
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
    std::vector<char*> out;
    for (auto& w : words) out.push_back(w.data());
    out.push_back(nullptr);
    return out;
}

std::vector<std::string> Environment(RunAs user, const std::vector<std::string>& extra) {
    std::vector<std::string> env = {"PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8"};
    env.push_back(user == nullptr ? "HOME=/root" : "HOME=/");
    // The sanitizers of a test build must not stop a program at its own exit.
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "TMPDIR"}) {
        if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

}  // namespace

std::unique_ptr<ThrowawayUser> ThrowawayUser::Create(const std::vector<std::string>& groups, std::string& whyNot) {
    if (geteuid() != 0) {
        whyNot = "needs root to make a throw-away user (useradd) for the second user";
        return nullptr;
    }
    if (access("/usr/sbin/useradd", X_OK) != 0) {
        whyNot = "useradd is missing: no second user can be made";
        return nullptr;
    }
    std::random_device random;
    char name[32];
    std::snprintf(name, sizeof name, "vr31kt%08x", static_cast<unsigned>(random()));
    std::vector<std::string> argv = {"/usr/sbin/useradd", "-M", "-N", "-d", "/nonexistent", "-s", "/usr/sbin/nologin"};
    if (!groups.empty()) {
        std::string list;
        for (const auto& g : groups) list += (list.empty() ? "" : ",") + g;
        argv.insert(argv.end(), {"-G", list});
    }
    argv.push_back(name);
    if (const int status = Admin(argv); status != 0) {
        whyNot = "useradd failed (" + std::to_string(status) + ")";
        return nullptr;
    }
    const struct passwd* pw = getpwnam(name);
    if (pw == nullptr) {
        whyNot = "the new user cannot be looked up";
        return nullptr;
    }
    return std::unique_ptr<ThrowawayUser>(new ThrowawayUser(name, pw->pw_uid, pw->pw_gid));
}

ThrowawayUser::~ThrowawayUser() {
    // The tests end the processes they started as this user, each by its pid.
    Admin({"/usr/sbin/userdel", m_name});
}

pid_t StartProgram(RunAs user, const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& outFile) {
    std::vector<std::string> words = argv;
    if (!words.empty()) words[0] = ProgramFor(user, words[0]);
    std::vector<std::string> environment = Environment(user, env);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int out = outFile.empty() ? open("/dev/null", O_WRONLY) : open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    dup2(out, 1);
    dup2(out, 2);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    BecomeUser(user);
    execve(words[0].c_str(), Pointers(words).data(), Pointers(environment).data());
    _exit(127);
}

RunResult RunProgram(RunAs user, const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     std::chrono::milliseconds timeout) {
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return {};
    std::vector<std::string> words = argv;
    if (!words.empty()) words[0] = ProgramFor(user, words[0]);
    std::vector<std::string> environment = Environment(user, env);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        BecomeUser(user);
        execve(words[0].c_str(), Pointers(words).data(), Pointers(environment).data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    RunResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& fd : fds) {
        if (fd.fd >= 0) close(fd.fd);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

pid_t StartInChild(RunAs user, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        BecomeUser(user);
        _exit(body());
    }
    return pid;
}

int RunInChild(RunAs user, const std::function<int()>& body) {
    const pid_t pid = StartInChild(user, body);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string MakeSharedFolder(const std::string& parent, const std::string& name) {
    chmod(parent.c_str(), 0755);
    const std::string folder = parent + "/" + name;
    mkdir(folder.c_str(), 0700);
    const struct group* group = getgrnam(kDataGroup);
    if (chown(folder.c_str(), 0, group != nullptr ? group->gr_gid : 0) != 0) return folder;
    chmod(folder.c_str(), kSharedFolderMode);
    return folder;
}

pid_t StartPortHolder(const std::string& port, bool lock) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t holder = fork();
    if (holder == 0) {
        close(ready[0]);
        const int fd = open(port.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || (lock && flock(fd, LOCK_EX | LOCK_NB) != 0)) _exit(127);
        if (write(ready[1], "x", 1) != 1) _exit(127);
        execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char byte = 0;
    const bool took = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (!took) {
        waitpid(holder, nullptr, 0);
        return -1;
    }
    // The child names itself sleep once exec has run.
    for (int i = 0; i < 250 && ReadFile("/proc/" + std::to_string(holder) + "/comm") != "sleep\n"; ++i) usleep(20000);
    return holder;
}

bool ProcessRunning(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z' && text[close + 2] != 'X';
}

std::optional<int> WaitChild(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace vr31k::test

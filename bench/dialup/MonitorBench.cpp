// Prints what the dial-up monitor costs while a connection is up (CPU per second of
// connection, with the one-second statistics sample included) and how long it takes
// from the interface going away to the disconnected notice. Runs itself again in a
// private network namespace, where it may create the TUN interface standing in for
// ppp0; says why and stops when the machine cannot give one.
//   dialup_monitor_bench [SECONDS_CONNECTED] [DOWN_TRIALS]
#include "dialup/CWRasCtrl.h"
#include "platform/linux/LinuxDialupService.h"
#include "simlink/TunDevice.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace vr31k;
using Clock = std::chrono::steady_clock;

constexpr const char* kInside = "VR31K_BENCH_IN_NETNS";
constexpr const char* kCardPort = "/dev/ttyCARD";

int Spawn(std::vector<std::string> args, bool wait) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    if (!wait) return pid;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class CNoticeClock {
public:
    CWRasCtrl::NoticeCallback Callback() {
        return [this](int notice) {
            std::lock_guard lock(m_mutex);
            m_last = notice;
            m_at = Clock::now();
            ++m_count;
            m_cv.notify_all();
        };
    }
    // Waits for `notice` after `count` notices were seen; returns when it came.
    bool Wait(int notice, Clock::time_point& at) {
        std::unique_lock lock(m_mutex);
        const bool ok = m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_count > m_seen && m_last == notice; });
        m_seen = m_count;
        at = m_at;
        return ok;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_last = -1;
    size_t m_count = 0;
    size_t m_seen = 0;
    Clock::time_point m_at;
};

std::unique_ptr<sim::TunDevice> LinkUp(const std::string& runDir, int holder) {
    auto tun = std::make_unique<sim::TunDevice>();
    if (!tun->Create("ppp0")) return nullptr;
    FILE* pid = std::fopen((runDir + "/ppp0.pid").c_str(), "w");
    if (pid != nullptr) {
        std::fprintf(pid, "%d\n", holder);
        std::fclose(pid);
    }
    if (!tun->Configure("10.64.64.64", "10.64.64.65")) return nullptr;
    return tun;
}

int Measure(int seconds, int trials) {
    char runDir[] = "/tmp/vr31k-bench-XXXXXX";
    if (mkdtemp(runDir) == nullptr) return 1;
    LinuxDialupConfig config;
    config.runDir = runDir;
    auto service = CreateLinuxDialupService(config);
    service->RegisterDevice({"modem", kCardModemName, kCardPort});
    // A process standing in for the dialler that works on the card's tty.
    const int holder = Spawn({"/bin/sh", "-c", "sleep 600; :", "sh", kCardPort}, false);

    CWRasCtrl ctrl(*service);
    ctrl.Setup(std::string(runDir) + "/VR31KUTL.pbk", std::string(kCardModemName), 0);
    CNoticeClock notices;
    ctrl.StartMonitor(notices.Callback());
    Clock::time_point at;

    auto tun = LinkUp(runDir, holder);
    if (!tun || !notices.Wait(RAS_NOTIFY_CONNECTED, at)) {
        std::printf("skipped: no TUN interface or no connected notice (%s)\n", std::strerror(errno));
        kill(holder, SIGKILL);
        return 0;
    }

    for (const size_t rate : {size_t{0}, size_t{1} << 20}) {
        std::atomic<bool> stop{false};
        std::atomic<double> generatorCpu{0};
        std::thread generator([&] {
            clockid_t self;
            pthread_getcpuclockid(pthread_self(), &self);
            while (!stop) {
                if (rate > 0) {
                    tun->Receive(rate / 100);
                    tun->Send(rate / 100);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            generatorCpu = CpuSeconds(self);
        });
        const double before = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto start = Clock::now();
        for (int s = 0; s < seconds; ++s) {
            std::this_thread::sleep_until(start + std::chrono::seconds(s + 1));
            ctrl.SampleStatistics();  // the window's one-second tick
        }
        stop = true;
        generator.join();
        const double spent = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - before - generatorCpu;
        std::printf("monitor CPU while connected (%4zu kB/s each way): %8.1f us per second of connection "
                    "(target < 1000)\n",
                    rate / 1024, spent / seconds * 1e6);
    }
    std::printf("  bytes counted: sent %llu, received %llu\n", static_cast<unsigned long long>(ctrl.BytesSent()),
                static_cast<unsigned long long>(ctrl.BytesReceived()));

    std::vector<double> delays;
    for (int i = 0; i < trials; ++i) {
        if (i > 0) {
            tun = LinkUp(runDir, holder);
            if (!tun || !notices.Wait(RAS_NOTIFY_CONNECTED, at)) break;
        }
        const auto down = Clock::now();
        tun->Close();
        if (!notices.Wait(RAS_NOTIFY_DISCONNECTED, at)) break;
        delays.push_back(std::chrono::duration<double, std::milli>(at - down).count());
    }
    ctrl.StopMonitor();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    if (delays.empty()) {
        std::printf("link-down-to-notice delay: no disconnected notice arrived\n");
        return 1;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("link-down-to-notice delay over %zu trials: median %.2f ms, max %.2f ms (target < 100)\n",
                delays.size(), delays[delays.size() / 2], delays.back());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int trials = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    if (std::getenv(kInside) != nullptr) return Measure(seconds, trials);

    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = '\0';
    // The script makes the namespace and its sysfs, or prints why it cannot (status 77).
    const int status = Spawn({IN_PRIVATE_NETNS, "env", std::string(kInside) + "=1", self, std::to_string(seconds),
                              std::to_string(trials)},
                             true);
    return status == 77 ? 0 : status;
}

#pragma once
// One running dial: the dialler process (pppd, or the simulated link), the thread that
// reads its log, and what that log has told so far. The reader thread writes the
// state under m_mutex; callers read snapshots under the same lock.
#include "platform/DeviceInhibit.h"
#include "platform/DialupService.h"
#include "platform/linux/PppdLog.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vr31k {

class PppDial {
public:
    struct Launch {
        std::vector<std::string> argv;
        std::string password;    // written into the descriptor the child reads it from
        std::string privateDir;  // removed with its files once the dial is up or over
        std::string entryName;
        std::string deviceType;
        std::string deviceName;
        std::string port;
        // Held for as long as the dialler may have the tty; the reader gives it back
        // once the dialler is gone.
        std::unique_ptr<IDeviceInhibit> inhibit;
    };
    struct Snapshot {
        uint32_t state = 0;
        bool connected = false;
        bool finished = false;
        int error = 0;  // the dial's failure, once finished without coming up
        std::string cause;  // why, in words, set before the failure is told
        std::string interfaceName;
        std::chrono::steady_clock::time_point upSince{};
    };

    // Starts the process; 0, or 5 / 633 / 657 when it cannot be started.
    static int Start(Launch launch, DialNotifier notifier, std::function<void()> onChange,
                     std::unique_ptr<PppDial>& out);
    ~PppDial();  // ends a process still running, then joins the reader
    PppDial(const PppDial&) = delete;
    PppDial& operator=(const PppDial&) = delete;

    int Pid() const { return m_pid; }
    const Launch& Info() const { return m_launch; }
    Snapshot Get() const;
    // The last lines of the log, for a diagnostic.
    std::vector<std::string> RecentLog() const;
    // SIGTERM, then SIGKILL after `termWait`; true when the process was gone in time.
    bool End(std::chrono::milliseconds termWait, std::chrono::milliseconds killWait);

private:
    PppDial(Launch launch, DialNotifier notifier, std::function<void()> onChange);
    void Run(int logFd);
    void RemovePrivateFiles();

    Launch m_launch;
    DialNotifier m_notifier;
    std::function<void()> m_onChange;
    int m_pid = -1;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_finishedCv;
    PppdLogReader m_log;
    Snapshot m_snapshot;
    bool m_endedByUs = false;
    bool m_privateRemoved = false;
    std::deque<std::string> m_recent;
};

}  // namespace vr31k

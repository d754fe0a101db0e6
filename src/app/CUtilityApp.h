#pragma once
// The application object: decides whether this process may run, prepares the data
// folder and its files, reads the settings, sets up the long-lived controllers and has
// the main window created. Toolkit-free; the face it runs under is an IAppUi.
#include "app/AppUi.h"
#include "app/Services.h"
#include "common/DataFolder.h"
#include "common/OsVersion.h"
#include "common/SettingsStore.h"
#include "card/CWKvCtrl.h"
#include "platform/InstanceLock.h"
#include "platform/UserAccount.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace vr31k {

// Everything start-up takes from the process and the machine, so tests can set it.
struct StartupEnvironment {
    std::vector<std::string> args;  // without the program name
    std::string lockDir;
    std::string dataFolder;
    std::string port;  // VR31K_PORT: used instead of PortName when not empty
    UserIdentity user;
    OsVersionRecord os;
    // How long a start waits for another start to finish: a start-up lock kept longer
    // (a hung or hostile holder) ends this start with a message, not a silent wait.
    std::chrono::milliseconds startupWait{10000};

    static StartupEnvironment FromProcess(int argc, char** argv);
};

inline constexpr uint32_t kMsgTrayNotify = 0x8064;   // wParam icon id 1, lParam mouse message
inline constexpr uint32_t kMsgCardPresence = 0x8067; // wParam non-zero present, 0 gone
inline constexpr int64_t kMouseLeftButtonUp = 0x202;

class CUtilityApp {
public:
    explicit CUtilityApp(StartupEnvironment env);
    // With a dial-up service of the caller's (tests).
    CUtilityApp(StartupEnvironment env, std::unique_ptr<IDialupService> dialup);
    ~CUtilityApp();
    CUtilityApp(const CUtilityApp&) = delete;
    CUtilityApp& operator=(const CUtilityApp&) = delete;

    // The start-up sequence; false when this process must end (ExitInstance then).
    bool InitInstance(IAppUi& ui);
    // Why start-up stopped when no box said it (a start-up lock kept too long); the
    // process then ends with status 1, after a normal stop with 0.
    const std::string& StopReason() const { return m_stopReason; }
    int ExitStatus() const { return m_stopReason.empty() ? 0 : 1; }
    void ExitInstance();
    // The main window calls this at the end of its initialisation: a start waiting
    // for this instance may go on and ask it for its window.
    void MainWindowReady();

    const DataPaths& Paths() const { return m_paths; }
    const SettingsStore& Settings() const { return m_settings; }
    UtilitySettings& Utility() { return m_utility; }
    const std::string& PortName() const { return m_portName; }
    void SetPortName(std::string port) { m_portName = std::move(port); }
    bool AutoStartLaunch() const { return m_autoStartLaunch; }
    // The port was given for this run (VR31K_PORT): PortName of the settings is not used.
    bool PortGiven() const { return !m_env.port.empty(); }
    // The charge and dial-up controller, with the history database inside it.
    CRasChargeCtrl& Charge() { return m_services.Charge(); }
    Services& Shared() { return m_services; }
    // The card controller; the port is open only for one task at a time.
    CWKvCtrl& Card() { return m_card; }
    // Where this instance listens for messages from outside.
    std::string InstanceSocketPath() const { return m_lock.OwnSocketPath(); }
    // The history waits for the folder's lock, which another program kept through the
    // start; connections are counted in the spool meanwhile.
    bool HistoryPending() const { return m_historyPending; }
    // Tries the pending history again without waiting long; true when it opened now
    // (the spool imported, the period's totals read).
    bool RetryHistoryOpen();

private:
    // What an open of the history found: on stderr, and in a box at the start (`ui`);
    // a lock another program keeps leaves the history pending.
    void TellHistory(const HistoryOpen& opened, IAppUi* ui);
    // A start-up problem that does not stop the start: on stderr and in a box.
    void Warn(IAppUi& ui, const std::string& line, int textId, const std::vector<std::string>& args) const;
    // A file of the data folder: its box only when none said the folder cannot be used
    // (and there is a face to show it).
    void WarnAboutFile(IAppUi* ui, const std::string& line, int textId, const std::vector<std::string>& args) const;

    StartupEnvironment m_env;
    std::string m_stopReason;
    InstanceLock m_lock;
    bool m_lockHeld = false;
    DataPaths m_paths;
    SettingsStore m_settings;
    UtilitySettings m_utility;
    CWKvCtrl m_card;
    Services m_services;
    std::string m_portName;
    bool m_autoStartLaunch = false;
    bool m_folderTold = false;  // a box said the data folder cannot be used
    bool m_historyPending = false;
};

}  // namespace vr31k

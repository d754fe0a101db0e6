#pragma once
// The application object: decides whether this process may run, prepares the data
// folder and its files, reads the settings, sets up the long-lived controllers and has
// the main window created. Toolkit-free; the face it runs under is an IAppUi.
#include "accounting/RasChargeCtrl.h"
#include "app/AppUi.h"
#include "app/DataFolder.h"
#include "app/OsVersion.h"
#include "app/SettingsStore.h"
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
    UserIdentity user;
    OsVersionRecord os;
    std::chrono::milliseconds startupWait{60000};

    static StartupEnvironment FromProcess(int argc, char** argv);
};

inline constexpr uint32_t kMsgTrayNotify = 0x8064;   // wParam icon id 1, lParam mouse message
inline constexpr uint32_t kMsgCardPresence = 0x8067; // wParam non-zero present, 0 gone
inline constexpr int64_t kMouseLeftButtonUp = 0x202;
// The card's modem as the dial-up half looks it up.
inline constexpr const char* kModemName = "KORVANE VR31K Modem";

class CUtilityApp {
public:
    explicit CUtilityApp(StartupEnvironment env);
    ~CUtilityApp();
    CUtilityApp(const CUtilityApp&) = delete;
    CUtilityApp& operator=(const CUtilityApp&) = delete;

    // The start-up sequence; false when this process must end (ExitInstance then).
    bool InitInstance(IAppUi& ui);
    void ExitInstance();
    // The main window calls this at the end of its initialisation: a start waiting
    // for this instance may go on and ask it for its window.
    void MainWindowReady();

    const DataPaths& Paths() const { return m_paths; }
    const CSettingsStore& Settings() const { return m_settings; }
    UtilitySettings& Utility() { return m_utility; }
    const std::string& PortName() const { return m_portName; }
    void SetPortName(std::string port) { m_portName = std::move(port); }
    bool AutoStartLaunch() const { return m_autoStartLaunch; }
    // The charge and dial-up controller, with the history database inside it.
    CRasChargeCtrl& Charge() { return m_charge; }
    // The card controller; the port is open only for one task at a time.
    CWKvCtrl& Card() { return m_card; }
    // Where this instance listens for messages from outside.
    std::string InstanceSocketPath() const { return m_lock.OwnSocketPath(); }

private:
    void OpenHistory();

    StartupEnvironment m_env;
    CInstanceLock m_lock;
    bool m_lockHeld = false;
    DataPaths m_paths;
    CSettingsStore m_settings;
    UtilitySettings m_utility;
    CWKvCtrl m_card;
    std::unique_ptr<IDialupService> m_dialup;  // before m_charge, which works through it
    CRasChargeCtrl m_charge;
    std::string m_portName;
    bool m_autoStartLaunch = false;
};

}  // namespace vr31k

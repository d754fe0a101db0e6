#include "app/CUtilityApp.h"

#include "app/CUtilityCommandLineInfo.h"
#include "app/GuestCheck.h"
#include "common/StringIds.h"
#include "card/CardDetection.h"
#include "common/DataFolderAccess.h"
#include "common/PortTrust.h"
#include "platform/InstanceChannel.h"

#include <cstdio>
#include <unistd.h>

namespace vr31k {

StartupEnvironment StartupEnvironment::FromProcess(int argc, char** argv) {
    StartupEnvironment env;
    for (int i = 1; i < argc; ++i) env.args.emplace_back(argv[i]);
    env.lockDir = DefaultLockDir();
    env.dataFolder = DefaultDataFolder();
    env.port = PortFromEnvironment();
    env.user = CurrentUserIdentity();
    env.os = CurrentOsVersionRecord();
    return env;
}

CUtilityApp::CUtilityApp(StartupEnvironment env)
    : m_env(std::move(env)),
      m_lock(m_env.lockDir),
      m_settings(std::string()) {}

CUtilityApp::CUtilityApp(StartupEnvironment env, std::unique_ptr<IDialupService> dialup)
    : m_env(std::move(env)), m_lock(m_env.lockDir), m_settings(std::string()), m_services(std::move(dialup)) {}

CUtilityApp::~CUtilityApp() { ExitInstance(); }

bool CUtilityApp::InitInstance(IAppUi& ui) {
    // One instance per machine.
    switch (m_lock.Acquire(m_env.startupWait)) {
    case InstanceLockResult::First:
        m_lockHeld = true;
        break;
    case InstanceLockResult::RunningSameUser:
        if (SendInstanceMessage(m_lock.OwnSocketPath(), {kMsgTrayNotify, 1, kMouseLeftButtonUp})) {
            return false;  // the running instance shows its window; we leave silently
        }
        [[fallthrough]];  // its window cannot be reached: as good as another user's
    case InstanceLockResult::RunningOtherUser:
        ui.Tell(ids::IDS_MULTIUSER_CAPTION, ids::IDS_MULTIUSER_TEXT, MessageIcon::Warning);
        return false;
    case InstanceLockResult::TimedOut:
        m_stopReason = "another start of the utility (" + m_lock.StartupHolder() + ") kept the start-up lock " +
                       m_lock.StartupLockPath() + " for " + std::to_string(m_env.startupWait.count() / 1000) +
                       " s; giving up";
        std::fprintf(stderr, "vr31k-utility: %s\n", m_stopReason.c_str());
        return false;
    case InstanceLockResult::Failed:
        return false;
    }

    // The data folder and its files. A folder that cannot be made or used does not stop
    // start-up: each file's owner reports its own failure later, and nothing is written
    // where this user may not write.
    m_paths = MakeDataPaths(m_env.dataFolder);
    m_settings = SettingsStore(m_paths.settings);
    const DataFolderCheck folder = PrepareDataFolder(m_paths.folder, true);
    if (!folder.Usable()) std::fprintf(stderr, "vr31k-utility: %s\n", folder.message.c_str());
    if (!folder.warning.empty()) std::fprintf(stderr, "vr31k-utility: %s\n", folder.warning.c_str());
    if (const std::string problem = m_settings.ReadProblem(); !problem.empty()) {
        std::fprintf(stderr, "vr31k-utility: %s\n", problem.c_str());
    }

    m_utility = m_settings.ReadUtility();

    CUtilityCommandLineInfo commandLine;
    commandLine.Parse(m_env.args);
    m_autoStartLaunch = commandLine.AutoStartLaunch();
    if (m_autoStartLaunch && m_utility.autoStart == 0) return false;

    if (IsGuestUser(m_env.user)) {
        ui.Tell(ids::IDS_GUEST_CAPTION, ids::IDS_GUEST_TEXT, MessageIcon::Error);
        return false;
    }
    if (OsVersionClassOf(m_env.os) < kOsClassMinimum) {
        ui.Tell(ids::IDS_OS_CAPTION, ids::IDS_OS_TEXT, MessageIcon::Error);
        return false;
    }

    // The charge controller: its plan, its credential table, the history and the
    // current billing period. A history that cannot be opened does not stop start-up;
    // the controller then skips the database work.
    m_services.LoadPlan(m_settings);
    if (!m_services.SetupEntries(m_paths, m_utility.solvaneMode != 0)) {
        std::fprintf(stderr,
                     "vr31k-utility: the entry credential file %s could not be read; the entries start without "
                     "user names and passwords, and the file is kept until the next change of an entry\n",
                     m_paths.credentials.c_str());
    }
    OpenHistory();
    Charge().RecomputePeriod();

    // A port named in the environment is used as it is, one named in the shared settings
    // only when this user may trust it; otherwise the card is looked up (an absent card
    // leaves the name empty; the main window reports it).
    m_portName = m_env.port.empty() ? TrustedPortName() : m_env.port;
    if (m_portName.empty()) FindCardPort(m_portName, false, false, m_utility.solvaneMode != 0);
    // The dial-up service dials the card's tty; without it every dial fails with 633.
    m_services.UseCardPort(m_portName, m_utility.solvaneMode);

    return ui.CreateMainWindow(*this);
}

std::string CUtilityApp::TrustedPortName() const {
    const std::string named = m_settings.ReadPortName();
    if (named.empty()) return named;
    const PortTrust trust = CheckPortName(named, getuid());
    if (trust.Trusted()) return trust.device;
    std::fprintf(stderr, "vr31k-utility: PortName %s of the settings is not used (%s); the card is looked up instead\n",
                 named.c_str(), trust.reason.c_str());
    return {};
}

void CUtilityApp::OpenHistory() {
    CDbHistoryCtrl& history = m_services.History();
    const int result = m_services.OpenHistory(m_paths);
    if (!history.MovedAsidePath().empty()) {
        std::fprintf(stderr, "vr31k-utility: the history %s could not be read; it was kept as %s and a new history begun\n",
                     m_paths.history.c_str(), history.MovedAsidePath().c_str());
    }
    if (result != kDbOk) {
        std::fprintf(stderr, "vr31k-utility: cannot open the history %s (%d): %s\n", m_paths.history.c_str(), result,
                     history.LastError().c_str());
    }
}

void CUtilityApp::MainWindowReady() {
    if (m_lockHeld) m_lock.FinishStartup();
}

void CUtilityApp::ExitInstance() {
    m_card.ClosePort();
    m_services.History().CloseHistory();
    m_lock.Close();
    m_lockHeld = false;
}

}  // namespace vr31k

#include "app/CUtilityApp.h"

#include "app/CUtilityCommandLineInfo.h"
#include "app/GuestCheck.h"
#include "common/StringIds.h"
#include "common/TerminalText.h"
#include "platform/DataFolderAccess.h"
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
        ui.Tell(ids::IDS_APP_TITLE, ids::IDS_STARTUP_LOCK_TIMEOUT_TEXT, MessageIcon::Error, {m_lock.StartupHolder()});
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
    CUtilityCommandLineInfo commandLine;
    commandLine.Parse(m_env.args);
    m_autoStartLaunch = commandLine.AutoStartLaunch();
    // The log-in start runs for every user of the desktop: one who is not among the
    // card's users did not ask for the utility and is not bothered with it.
    if (m_autoStartLaunch && folder.state == DataFolderState::NotMember) {
        std::fprintf(stderr, "vr31k-utility: %s; not started at log-in\n", folder.message.c_str());
        return false;
    }
    m_utility = m_settings.ReadUtility();
    if (m_autoStartLaunch && m_utility.autoStart == 0) return false;
    if (IsGuestUser(m_env.user)) {
        ui.Tell(ids::IDS_GUEST_CAPTION, ids::IDS_GUEST_TEXT, MessageIcon::Error);
        return false;
    }
    if (OsVersionClassOf(m_env.os) < kOsClassMinimum) {
        ui.Tell(ids::IDS_OS_CAPTION, ids::IDS_OS_TEXT, MessageIcon::Error);
        return false;
    }

    if (folder.state == DataFolderState::NotMember) {
        if (folder.joinedLater) {
            Warn(ui, folder.message, ids::IDS_FOLDER_JOINED_LATER_TEXT, {m_paths.folder, folder.group});
        } else {
            Warn(ui, folder.message, ids::IDS_FOLDER_NOT_MEMBER_TEXT,
                 {m_paths.folder, folder.group, m_env.user.name.value_or("$USER"), folder.group});
        }
    } else if (!folder.Usable()) {
        Warn(ui, folder.message, ids::IDS_FOLDER_FAILED_TEXT, {folder.message});
    }
    // The files of a folder that cannot be used fail as a consequence: one box says it.
    m_folderTold = !folder.Usable();
    if (!folder.warning.empty()) Warn(ui, folder.warning, ids::IDS_FOLDER_OPEN_TEXT, {m_paths.folder, folder.warning});
    if (const std::string problem = m_settings.ReadProblem(); !problem.empty()) {
        WarnAboutFile(&ui, problem, ids::IDS_SETTINGS_UNREADABLE_TEXT, {problem});
    }

    // The services: a failure of one stops nothing; each is told once, in the order
    // the start met it.
    const ServicesStart start{.paths = m_paths, .solvaneMode = m_utility.solvaneMode, .port = m_env.port};
    const StartFindings found = m_services.Start(m_settings, start);
    if (found.entries.textId != 0) WarnAboutFile(&ui, found.entries.line, found.entries.textId, found.entries.args);
    TellHistory(found.history, &ui);
    // A port named in the environment is used as it is, one named in the shared settings
    // only when this user may trust it; otherwise the card is looked up (an absent card
    // leaves the name empty; the main window reports it).
    if (!found.port.distrusted.empty()) {
        Warn(ui, "PortName " + found.port.distrusted + " of the settings is not used (" + found.port.reason +
                     "); the card is looked up instead",
             ids::IDS_PORTNAME_DISTRUSTED_TEXT, {found.port.distrusted, found.port.reason});
    }
    m_portName = found.port.port;

    return ui.CreateMainWindow(*this);
}

void CUtilityApp::TellHistory(const HistoryOpen& opened, IAppUi* ui) {
    if (!opened.movedAside.empty()) {
        WarnAboutFile(ui,
             "the history " + m_paths.history + " could not be read; it was kept as " + opened.movedAside +
                 " and a new history begun",
             ids::IDS_HISTORY_MOVED_ASIDE_TEXT, {m_paths.history, opened.movedAside});
    }
    for (const std::string& aside : opened.spool.keptAside) {
        std::fprintf(stderr, "vr31k-utility: a usage record of the spool was not imported and was kept as %s\n",
                     TerminalText(aside).c_str());
    }
    if (opened.spool.left > 0) {
        std::fprintf(stderr, "vr31k-utility: %d usage records of the spool are left for the next open\n",
                     opened.spool.left);
    }
    if (opened.lockBusy) {
        // Nothing the user can do about it: the window starts and opens the history as
        // soon as the other program lets go.
        m_historyPending = true;
        std::fprintf(stderr, "vr31k-utility: %s; the history is opened once it is free\n", opened.error.c_str());
    } else if (!opened.Ok()) {
        const std::string code = std::to_string(opened.result);
        WarnAboutFile(ui, "cannot open the history " + m_paths.history + " (" + code + "): " + opened.error,
             ids::IDS_HISTORY_OPEN_FAILED_TEXT, {m_paths.history, code, opened.error});
    }
}

bool CUtilityApp::RetryHistoryOpen() {
    if (!m_historyPending) return false;
    constexpr std::chrono::milliseconds kRetryWait{100};  // on the window's thread
    const HistoryOpen opened = m_services.OpenHistory(m_paths, kRetryWait);
    if (opened.lockBusy) return false;
    m_historyPending = false;
    TellHistory(opened, nullptr);
    if (!opened.Ok()) return false;
    Charge().RecomputePeriod();
    return true;
}

// The line goes to stderr for the terminal and the session's log; the box is for the
// person who started the utility from the menu and sees neither.
void CUtilityApp::Warn(IAppUi& ui, const std::string& line, int textId, const std::vector<std::string>& args) const {
    std::fprintf(stderr, "vr31k-utility: %s\n", line.c_str());
    ui.Tell(ids::IDS_APP_TITLE, textId, MessageIcon::Warning, args);
}

void CUtilityApp::WarnAboutFile(IAppUi* ui, const std::string& line, int textId,
                                const std::vector<std::string>& args) const {
    if (m_folderTold || ui == nullptr) std::fprintf(stderr, "vr31k-utility: %s\n", line.c_str());
    else Warn(*ui, line, textId, args);
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

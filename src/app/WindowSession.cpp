#include "app/WindowSession.h"

#include "app/CUtilityApp.h"
#include "app/CardPort.h"
#include "doctor/Doctor.h"
#include "common/DataFolder.h"

namespace vr31k {

namespace {

MainWindowParts PartsOf(CWKvCtrl& card, std::string& port, UtilitySettings& utility, Services& services,
                        const SettingsStore& settings, IWindowHost& ports, const SessionOptions& options) {
    MainWindowParts parts(card, port, utility, services.Charge(), settings, ports);
    parts.autoStartLaunch = options.autoStartLaunch;
    parts.checkOptions = options.checkOptions;
    return parts;
}

SessionOptions AppOptions(CUtilityApp& app) {
    SessionOptions options;
    options.dataFolder = app.Paths().folder;
    options.autoStartLaunch = app.AutoStartLaunch();
    options.watchFolder = true;
    options.portFromSettings = !app.PortGiven();
    options.ready = [&app] { app.MainWindowReady(); };
    return options;
}

}  // namespace

WindowSession::WindowSession(CUtilityApp& app, IMainView& view)
    : WindowSession(app.Shared(), app.Card(), app.Settings(), app.Utility(), app.PortName(), view, AppOptions(app)) {}

WindowSession::WindowSession(Services& services, CWKvCtrl& card, const SettingsStore& settings,
                             UtilitySettings& utility, std::string port, IMainView& view, SessionOptions options)
    : m_services(services),
      m_settings(settings),
      m_utility(utility),
      m_options(options),
      m_portNameSetting(settings.ReadPortName()),
      m_port(std::move(port)),
      m_window(PartsOf(card, m_port, utility, services, settings, *this, options), view),
      m_connection(m_window, services.LinkPath()),
      m_remote(m_window, m_connection, options.dataFolder) {
    m_window.SetConnectionControl(&m_connection);
    m_connection.SetObserver(this);
    m_remote.OnChanged([this](DataChanges changes) { DataChanged(changes); });
}

WindowSession::~WindowSession() {
    if (m_watch) m_watch->Stop();
    m_connection.SetObserver(nullptr);
}

void WindowSession::Start() {
    m_window.OnInitDialog();
    if (!m_options.watchFolder) return;
    std::vector<std::string> names(std::begin(kDataFileNames), std::end(kDataFileNames));
    for (const char* suffix : kHistorySideSuffixes) names.push_back(std::string(kDataFileNames[1]) + suffix);
    IMainView& view = m_window.View();
    m_watch = WatchFolder(m_options.dataFolder, std::move(names), m_options.watchDebounce,
                          [this, &view](const std::set<std::string>& changed) {
                              DataChanges changes = 0;
                              for (const std::string& name : changed) changes |= DataChangesOfFile(name);
                              view.Post([this, changes] { DataChanged(changes); });
                          });
}

void WindowSession::DataChanged(DataChanges changes) {
    if ((changes & kChangedPort) != 0) FollowPortName();
    m_window.OnDataChanged(changes);
}

void WindowSession::FollowPortName() {
    if (!m_options.portFromSettings) return;
    std::string setting = m_settings.ReadPortName();
    if (setting == m_portNameSetting) return;
    const CardPortChoice choice = ResolveCardPort({}, m_settings, m_utility.solvaneMode != 0, m_services.CardLookup());
    // Taken once nothing holds the card; a connection's end asks again.
    if (m_window.OnPortChanged(choice.port)) m_portNameSetting = std::move(setting);
}


bool WindowSession::FindCardPort(std::string& port) {
    return m_services.CardLookup().FindCardPort(port, m_utility.solvaneMode != 0);
}

bool WindowSession::EjectCard() { return m_services.CardLookup().EjectCard(m_utility.solvaneMode != 0); }

void WindowSession::UseCardPort(const std::string& port) { m_services.UseCardPort(port, m_utility.solvaneMode); }

void WindowSession::WindowReady() {
    if (m_options.ready) m_options.ready();
}

// Read from the machine whoever looks the card up: it is a fact of the port, not of the lookup.
std::string WindowSession::PortTrouble(const std::string& port) { return PortTroubleSentence(port); }

void WindowSession::Ticked() {
    m_remote.Ticked();
    if (m_face != nullptr) m_face->Ticked();
}

void WindowSession::ConnectionGone() {
    m_remote.ConnectionGone();
    if (m_face != nullptr) m_face->ConnectionGone();
}

void WindowSession::ConnectEnded(const FlowOutcome& outcome) {
    m_remote.ConnectEnded(outcome);
    if (m_face != nullptr) m_face->ConnectEnded(outcome);
}

void WindowSession::HangUpEnded(const FlowOutcome& outcome) {
    m_remote.HangUpEnded(outcome);
    if (m_face != nullptr) m_face->HangUpEnded(outcome);
}

void WindowSession::Recorded(int result, const HistoryRow& row) {
    m_remote.Recorded(result, row);
    if (m_face != nullptr) m_face->Recorded(result, row);
}

void WindowSession::Ended(bool lineLost, bool outside) {
    if (m_face != nullptr) m_face->Ended(lineLost, outside);
    FollowPortName();
}

}  // namespace vr31k

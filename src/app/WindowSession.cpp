#include "app/WindowSession.h"

#include "app/CUtilityApp.h"
#include "app/doctor/Doctor.h"
#include "card/CardDetection.h"

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
    return options;
}

}  // namespace

WindowSession::WindowSession(CUtilityApp& app, IMainView& view)
    : WindowSession(app.Shared(), app.Card(), app.Settings(), app.Utility(), app.PortName(), view, AppOptions(app)) {
    m_app = &app;
}

WindowSession::WindowSession(Services& services, CWKvCtrl& card, const SettingsStore& settings,
                             UtilitySettings& utility, std::string port, IMainView& view, SessionOptions options)
    : m_services(services),
      m_utility(utility),
      m_host(options.host != nullptr ? *options.host : static_cast<IWindowHost&>(*this)),
      m_port(std::move(port)),
      m_window(PartsOf(card, m_port, utility, services, settings, *this, options), view),
      m_connection(m_window),
      m_remote(m_window, m_connection, options.dataFolder) {
    m_window.SetConnectionControl(&m_connection);
    m_connection.SetObserver(this);
}

WindowSession::~WindowSession() { m_connection.SetObserver(nullptr); }


bool WindowSession::FindCardPort(std::string& port) {
    if (&m_host != this) return m_host.FindCardPort(port);
    return vr31k::FindCardPort(port, false, false, m_utility.solvaneMode != 0) == CARD_FOUND && !port.empty();
}

bool WindowSession::EjectCard() {
    if (&m_host != this) return m_host.EjectCard();
    return vr31k::EjectCard(m_utility.solvaneMode != 0) == 1;
}

void WindowSession::UseCardPort(const std::string& port) {
    m_services.UseCardPort(port, m_utility.solvaneMode);
    if (&m_host != this) m_host.UseCardPort(port);
}

void WindowSession::WindowReady() {
    if (&m_host != this) m_host.WindowReady();
    if (m_app != nullptr) m_app->MainWindowReady();
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
}

}  // namespace vr31k

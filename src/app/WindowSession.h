#pragma once
// One window session: the window's logic, its connection control and the remote
// control of the instance socket, built in one order over the app's services and a
// view, with the card's port owned here. The desktop window, `vr31kctl connect`, the
// tests and the benchmarks each build one.
#include "app/Services.h"
#include "mainwnd/CUtilityDlg.h"
#include "mainwnd/ConnectionControl.h"
#include "mainwnd/RemoteControl.h"
#include "platform/FolderWatch.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vr31k {

class CUtilityApp;

struct SessionOptions {
    std::string dataFolder;  // told in the socket's replies
    bool autoStartLaunch = false;
    CardCheckOptions checkOptions;
    // The window exists: a waiting second start may go on.
    std::function<void()> ready;
    // Watch the data folder for what other programs change in it (the desktop window).
    bool watchFolder = false;
    std::chrono::milliseconds watchDebounce{200};
    // The port came from PortName or the card lookup, not from this run's own port: a
    // PortName changed later is followed.
    bool portFromSettings = false;
};

class WindowSession final : private IWindowHost, private IConnectionObserver {
public:
    // The desktop window's: everything from the application object.
    WindowSession(CUtilityApp& app, IMainView& view);
    WindowSession(Services& services, CWKvCtrl& card, const SettingsStore& settings, UtilitySettings& utility,
                  std::string port, IMainView& view, SessionOptions options = {});
    ~WindowSession() override;
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // The window's initialisation, then the folder's watch.
    void Start();
    // What another face or program changed in the data folder (from the folder's watch
    // or the socket's `changed` notice): the window reads it again. On the window's thread.
    void DataChanged(DataChanges changes);
    CUtilityDlg& Window() { return m_window; }
    ConnectionControl& Connection() { return m_connection; }
    RemoteControl& Remote() { return m_remote; }
    Services& Shared() { return m_services; }
    CRasChargeCtrl& Charge() { return m_services.Charge(); }
    // The card's port of the moment (the window replaces it when the card comes back).
    const std::string& Port() const { return m_port; }
    // A face without a window learns here what became of the connection; the remote
    // control is told first.
    void SetObserver(IConnectionObserver* observer) { m_face = observer; }

private:
    bool FindCardPort(std::string& port) override;
    bool EjectCard() override;
    void UseCardPort(const std::string& port) override;
    void WindowReady() override;
    std::string PortTrouble(const std::string& port) override;

    void Ticked() override;
    void ConnectionGone() override;
    void ConnectEnded(const FlowOutcome& outcome) override;
    void HangUpEnded(const FlowOutcome& outcome) override;
    void Recorded(int result, const HistoryRow& row) override;
    void Ended(bool lineLost, bool outside) override;
    // A PortName changed in the settings, when this run's port came from them.
    void FollowPortName();

    Services& m_services;
    const SettingsStore& m_settings;
    UtilitySettings& m_utility;
    SessionOptions m_options;
    std::string m_portNameSetting;  // PortName as last taken
    IConnectionObserver* m_face = nullptr;
    std::string m_port;
    CUtilityDlg m_window;
    ConnectionControl m_connection;  // stops the monitor before the window goes
    RemoteControl m_remote;          // goes before the connection it watches
    // Its thread only posts to the view; stopped first, before anything it reaches.
    std::unique_ptr<IFolderWatch> m_watch;
};

}  // namespace vr31k

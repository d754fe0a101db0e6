#pragma once
// One `vr31kctl connect`: the main window's own controller (CUtilityDlg with its
// ConnectionControl) over the command line's headless view, from the command to the
// recorded end. A connection over the card that is already up and held by no one (a
// dialler left behind by a killed connect, or one started by hand) is watched as the
// outside connection it is, as the window does.
#include "cli/ChargeSession.h"
#include "cli/CliEventLoop.h"
#include "cli/CliMainView.h"
#include "cli/ConnectionStatus.h"
#include "app/WindowSession.h"

#include <atomic>
#include <optional>
#include <string>

namespace vr31k::cli {

class ConnectRun final : private IConnectionObserver {
public:
    // `hangUpRequests` counts Ctrl-C, SIGTERM and SIGHUP from 0; each one is a hang-up
    // request, also one that came while the command was still setting up.
    // `overLimit`: the bytes the connection may run past the user's limit; without it
    // nothing is dialled while the period has reached the limit.
    ConnectRun(CliContext& context, std::optional<std::string> name, std::optional<int64_t> overLimit,
               const std::atomic<int>& hangUpRequests);
    ConnectRun(const ConnectRun&) = delete;
    ConnectRun& operator=(const ConnectRun&) = delete;

    int Run();

private:
    void Recorded(int result, const HistoryRow& row) override;
    void Ended(bool lineLost, bool outside) override;

    struct End {
        bool lineLost = false;
        bool outside = false;
    };

    int Watch(const ConnectionInfo& link);
    // After the command: stays with a connection until it ends, then tells how it went.
    int Outcome();
    void Stay();
    int Finish();
    int NotDialled();
    int Fail(const std::string& name);

    bool HangUpPending() const { return m_hangUpRequests.load() > m_hangUpsTaken; }
    bool TakeHangUp();
    void OnTick(const std::string& entry, const std::string& duration, const std::string& volume);
    // What people read while connected, and what `status` prints.
    Json Figures(const char* state);
    void WriteStatus(const Json& figures) { m_status.Write(figures.Dump() + "\n" + figures.DumpText()); }
    std::ostream& Say() { return m_context.JsonOutput() ? m_context.Err() : m_context.Out(); }
    // The window's logic and its connection control, once the start has made them.
    CUtilityDlg& Window() { return m_windowSession->Window(); }
    ConnectionControl& Control() { return m_windowSession->Connection(); }

    CliContext& m_context;
    std::optional<std::string> m_name;
    std::optional<int64_t> m_overLimit;
    const std::atomic<int>& m_hangUpRequests;
    int m_hangUpsTaken = 0;
    CChargeSession m_session;
    SettingsStore m_settings;
    UtilitySettings m_utility;
    CWKvCtrl m_card;
    ConnectionStatus m_status;  // `status` and `disconnect` find this connect by its lock
    CliEventLoop m_loop;
    CliMainView m_view;
    // Made after the services' start, on the port it found; first to go: stops the
    // monitor before the rest.
    std::optional<WindowSession> m_windowSession;

    std::string m_entry;
    std::string m_reason;  // why it stopped, when no message box says it
    bool m_wasUp = false;
    std::optional<End> m_end;
    std::optional<int> m_recorded;
    HistoryRow m_row;
};

}  // namespace vr31k::cli

#pragma once
// The shared fixture of the window's tests and benchmarks: a window session over the
// card simulator, a recording view and, given the simulated link program, a dial-up
// service that dials it; the plan, the entries and the history in a folder of the
// caller's.
#include "CardSimulator.h"
#include "app/WindowSession.h"
#include "support/RecordingView.h"

#include <memory>
#include <optional>
#include <string>

namespace vr31k::test {

class SimulatedSession {
public:
    // `simLink` empty: the machine's dial-up service, for tests that never dial.
    explicit SimulatedSession(std::string folder, std::string simLink = {},
                              CardTimings timings = CardTimings{1000, 1000, 5, 20});
    ~SimulatedSession();
    SimulatedSession(const SimulatedSession&) = delete;
    SimulatedSession& operator=(const SimulatedSession&) = delete;

    // Starts the card and the services as the application does (the history only
    // `withHistory`); `error` says what failed.
    bool Prepare(std::string& error, bool withHistory = true);
    // Builds the session on `port` (unset: the simulator's) and runs the window's
    // initialisation.
    void Start(SessionOptions options = {});

    CRasChargeCtrl& Charge() { return services->Charge(); }
    IDialupService& Dialup() { return services->Dialup(); }
    CUtilityDlg& Window() { return session->Window(); }
    ConnectionControl& Connection() { return session->Connection(); }
    // Rows of the history.
    int Rows();
    // Connects from the tray menu and waits for the connection's first tick.
    bool Connect();

    const std::string folder;
    sim::CardSimulator simulator;
    CWKvCtrl card;
    std::optional<std::string> port;
    UtilitySettings utility;
    SettingsStore settings;
    std::unique_ptr<Services> services;
    RecordingView view;
    std::unique_ptr<WindowSession> session;
};

}  // namespace vr31k::test

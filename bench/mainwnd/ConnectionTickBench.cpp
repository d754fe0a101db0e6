// The window logic's main-thread time for one connection tick (timer 3): the period
// check, the statistics sample, the figures, the charge notice check, the tray tip and,
// with the status dialog open, its figures. The connection is real: the card simulator
// and the simulated link in a private network namespace (the program runs itself again
// there), with 10,000 rows of history in the current billing period. Target: <= 2 ms.
//   build/release/bin/connection_tick_bench --benchmark_repetitions=11 --benchmark_report_aggregates_only=true
#include "CardSimulator.h"
#include "GeneratedHistory.h"
#include "accounting/CRasChargeCtrl.h"
#include "mainwnd/ConnectionControl.h"
#include "mainwnd/RecordingView.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/SamplePlan.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vr31k;

constexpr const char* kInside = "VR31K_BENCH_IN_NETNS";
constexpr int64_t kPeriodRows = 10000;

// A connected window, made once for every benchmark of the run (a dial takes seconds).
class ConnectedWindow {
public:
    bool Begin(std::string& error) {
        if (!m_simulator.Start(error)) return false;
        m_port = m_simulator.PortPath();
        LinuxDialupConfig config;
        config.link = DialLink::Simulated;
        config.simulatedLinkPath = SIMLINK;
        config.privateBase = m_dir.Path();
        config.runDir = m_dir.Path();
        m_service = CreateLinuxDialupService(config);
        m_charge = std::make_unique<CRasChargeCtrl>(*m_service);
        if (m_charge->Setup(m_dir.File("VR31KUTL.dat"), m_dir.File("VR31KUTL.pbk"), kCardModemName, false) != 0 ||
            m_charge->History().OpenHistory(m_dir.File("VR31KUTL.mdb"), std::string(kPassPhrase)) != kDbOk) {
            error = "the charge controller did not set up";
            return false;
        }
        // A fixed "now" inside a period (closing on the 20th) that already holds the rows.
        const OleDate now = MakeOleDate(2026, 7, 10, 12, 0, 0);
        m_charge->SetClock([now] { return now; });
        m_charge->Plan() = test::FreeAllowancePlan();
        m_charge->Plan().entryIndex = 0;
        m_charge->DerivePlan();
        bench::HistoryShape shape;
        shape.rows = kPeriodRows;
        shape.days = 19;
        shape.last = OleMinusSeconds(now, 3600);
        shape.meanBytes = 20000;  // small connections: the charge notice is still ahead
        shape.largeEvery = 0;
        if (!bench::GenerateHistory(m_charge->History(), shape)) {
            error = "the history refused the generated rows";
            return false;
        }
        m_charge->RecomputePeriod();
        m_charge->SetCardPort(m_port);
        m_window = std::make_unique<CUtilityDlg>(MainWindowParts(m_card, m_port, m_utility, *m_charge, m_settings),
                                                 m_view);
        m_connection = std::make_unique<ConnectionControl>(*m_window);
        m_window->SetConnectionControl(m_connection.get());
        m_window->OnInitDialog();
        if (m_window->State() != kCardReady) {
            error = "the simulated card is not ready";
            return false;
        }
        m_window->OnCommand(kCmdTrayConnect);
        if (m_window->State() != kCardDialing ||
            !m_view.Pump([&] { return m_view.timers.count(kTimerConnection) == 1; })) {
            error = "the simulated link did not connect";
            return false;
        }
        return true;
    }
    ~ConnectedWindow() {
        if (m_charge) m_charge->HangUp(false, true);
        m_connection.reset();
        m_window.reset();
    }

    void Tick() { m_window->OnTimer(kTimerConnection); }
    void OpenStatusDialog() { m_window->OnCommand(kCmdTrayDialupStatus); }
    void CloseStatusDialog() { m_view.CloseStatusDialog(); }
    CRasChargeCtrl& Charge() { return *m_charge; }
    const test::RecordingView& View() const { return m_view; }

private:
    test::TempDir m_dir;
    sim::CardSimulator m_simulator;
    CWKvCtrl m_card{CardTimings{1000, 1000, 5, 20}};
    std::string m_port;
    UtilitySettings m_utility;
    SettingsStore m_settings{m_dir.File("VR31KUTL.ini")};
    std::unique_ptr<IDialupService> m_service;
    std::unique_ptr<CRasChargeCtrl> m_charge;
    test::RecordingView m_view;
    std::unique_ptr<CUtilityDlg> m_window;
    std::unique_ptr<ConnectionControl> m_connection;
};

ConnectedWindow* g_window = nullptr;

// In the tray (where a made connection sends the window): the figures and the tray tip.
void BM_ConnectionTick(benchmark::State& state) {
    g_window->CloseStatusDialog();
    for (auto _ : state) g_window->Tick();
    if (g_window->View().trayTip.empty()) state.SkipWithError("the tick set no tray tip");
}
BENCHMARK(BM_ConnectionTick)->Unit(benchmark::kMicrosecond);

// The same with the status dialog open: its six figures and the charge on top.
void BM_ConnectionTickWithStatusDialog(benchmark::State& state) {
    g_window->OpenStatusDialog();
    const int before = g_window->View().statusRefreshes;
    for (auto _ : state) g_window->Tick();
    if (g_window->View().statusRefreshes == before) state.SkipWithError("the status dialog was not refreshed");
    g_window->CloseStatusDialog();
}
BENCHMARK(BM_ConnectionTickWithStatusDialog)->Unit(benchmark::kMicrosecond);

// What the tick adds once a period is over: the new period's totals read from the
// history (here the worst case, a period holding all the rows).
void BM_PeriodRecompute(benchmark::State& state) {
    for (auto _ : state) g_window->Charge().RecomputePeriod();
    state.counters["period_rows"] = static_cast<double>(kPeriodRows);
}
BENCHMARK(BM_PeriodRecompute)->Unit(benchmark::kMicrosecond);

// Runs this program again in a private network namespace, where the simulated link may
// create its TUN interface; the script says why (exit 77) when the machine cannot.
int RunInNamespace(int argc, char** argv) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        std::fprintf(stderr, "cannot find this program\n");
        return 1;
    }
    self[n] = '\0';
    std::vector<std::string> args = {IN_PRIVATE_NETNS, "env", std::string(kInside) + "=1", self};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    std::vector<char*> raw;
    for (std::string& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    execv(raw[0], raw.data());
    std::perror("in_private_netns.sh");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv(kInside) == nullptr) return RunInNamespace(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string error;
    auto window = std::make_unique<ConnectedWindow>();
    if (!window->Begin(error)) {
        std::fprintf(stderr, "connection_tick_bench: %s\n", error.c_str());
        return 1;
    }
    g_window = window.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window = nullptr;
    return 0;
}

// The window logic's main-thread time for one connection tick (timer 3): the period
// check, the statistics sample, the figures, the charge notice check, the tray tip and,
// with the status dialog open, its figures. The connection is real: the card simulator
// and the simulated link in a private network namespace (the program runs itself again
// there), with 10,000 rows of history in the current billing period. Target: <= 2 ms.
//   build/release/bin/connection_tick_bench --benchmark_repetitions=11 --benchmark_report_aggregates_only=true
#include "GeneratedHistory.h"
#include "accounting/PeriodPace.h"
#include "support/SamplePlan.h"
#include "support/SimulatedSession.h"
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
        if (!m_session.Prepare(error)) return false;
        CRasChargeCtrl& charge = m_session.Charge();
        // A fixed "now" inside a period (closing on the 20th) that already holds the rows.
        const OleDate now = MakeOleDate(2026, 7, 10, 12, 0, 0);
        charge.SetClock([now] { return now; });
        charge.Plan() = test::FreeAllowancePlan();
        charge.Plan().entryIndex = 0;
        charge.DerivePlan();
        bench::HistoryShape shape;
        shape.rows = kPeriodRows;
        shape.days = 19;
        shape.last = OleMinusSeconds(now, 3600);
        shape.meanBytes = 20000;  // small connections: the charge notice is still ahead
        shape.largeEvery = 0;
        if (!bench::GenerateHistory(charge.History(), shape)) {
            error = "the history refused the generated rows";
            return false;
        }
        charge.RecomputePeriod();
        m_session.Start();
        if (m_session.Window().State() != kCardReady) {
            error = "the simulated card is not ready";
            return false;
        }
        if (!m_session.Connect()) {
            error = "the simulated link did not connect";
            return false;
        }
        return true;
    }
    ~ConnectedWindow() { m_session.Charge().HangUp(false, true); }

    void Tick() { m_session.Window().OnTimer(kTimerConnection); }
    // The user's limit on (far away: it never ends the connection) with the burst
    // warning, or off again.
    bool SetLimit(bool on) {
        const int written = m_session.settings.ChangeLimit([on](LimitSettings& limit) {
            limit = LimitSettings{};
            if (on) {
                limit.kind = kLimitBytes;
                limit.bytes = int64_t{1} << 50;
                limit.burstBytes = int64_t{1} << 40;
            }
            return true;
        });
        m_session.Connection().LimitChanged();
        return written == 0;
    }
    void OpenStatusDialog() { m_session.Window().OnCommand(kCmdTrayDialupStatus); }
    void CloseStatusDialog() { m_session.view.CloseStatusDialog(); }
    CRasChargeCtrl& Charge() { return m_session.Charge(); }
    const test::RecordingView& View() const { return m_session.view; }

private:
    test::TempDir m_dir;
    test::SimulatedSession m_session{m_dir.Path(), SIMLINK};
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

// Both again with the user's limit and the burst warning on: the limit's check each
// tick, the pace in the tray tip and the status dialog (BM_PaceRead: the pace's own
// read of the history).
void BM_ConnectionTickLimitOn(benchmark::State& state) {
    if (!g_window->SetLimit(true)) state.SkipWithError("the limit could not be written");
    g_window->CloseStatusDialog();
    for (auto _ : state) g_window->Tick();
    if (g_window->View().trayTip.find("1日") == std::string::npos) state.SkipWithError("the tip shows no pace");
    g_window->SetLimit(false);
}
BENCHMARK(BM_ConnectionTickLimitOn)->Unit(benchmark::kMicrosecond);

void BM_ConnectionTickLimitOnWithStatusDialog(benchmark::State& state) {
    if (!g_window->SetLimit(true)) state.SkipWithError("the limit could not be written");
    g_window->OpenStatusDialog();
    for (auto _ : state) g_window->Tick();
    g_window->CloseStatusDialog();
    g_window->SetLimit(false);
}
BENCHMARK(BM_ConnectionTickLimitOnWithStatusDialog)->Unit(benchmark::kMicrosecond);

void BM_PaceRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PaceCurrentPeriod(g_window->Charge(), true, 0));
}
BENCHMARK(BM_PaceRead)->Unit(benchmark::kMicrosecond);

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

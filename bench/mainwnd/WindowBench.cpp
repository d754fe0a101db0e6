// The window logic's main-thread time for one signal-display tick (timer 1): the level
// read from the simulated card and the picture chosen. Target: <= 5 ms.
//   build/release/bin/window_bench --benchmark_repetitions=21 --benchmark_report_aggregates_only=true
#include "support/SimulatedSession.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vr31k;

void BM_SignalDisplayTick(benchmark::State& state) {
    test::TempDir dir;
    test::SimulatedSession session(dir.Path());
    std::string error;
    if (!session.Prepare(error, false)) {
        state.SkipWithError(error.c_str());
        return;
    }
    session.utility.antDispOneshot = 0;  // continuous: the display stays on
    session.Start();
    CUtilityDlg& window = session.Window();
    window.OnCommand(kCmdSignalButton);
    if (window.State() != 9) {
        state.SkipWithError("the signal display did not come on");
        return;
    }
    for (auto _ : state) window.OnTimer(kTimerSignal);
    benchmark::DoNotOptimize(session.view.picture);
}
BENCHMARK(BM_SignalDisplayTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

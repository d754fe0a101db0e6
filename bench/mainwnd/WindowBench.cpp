// The window logic's main-thread time for one signal-display tick (timer 1): the level
// read from the simulated card and the picture chosen. Target: <= 5 ms.
//   build/release/bin/window_bench --benchmark_repetitions=21 --benchmark_report_aggregates_only=true
#include "CardSimulator.h"
#include "accounting/CRasChargeCtrl.h"
#include "mainwnd/CUtilityDlg.h"
#include "mainwnd/RecordingView.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vr31k;

void BM_SignalDisplayTick(benchmark::State& state) {
    sim::CardSimulator card;
    std::string error;
    if (!card.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    test::TempDir dir;
    CWKvCtrl kv;
    std::string port = card.PortPath();
    UtilitySettings utility;
    utility.antDispOneshot = 0;  // continuous: the display stays on
    std::unique_ptr<IDialupService> service = CreateLinuxDialupService({});
    CRasChargeCtrl charge(*service);
    charge.Setup(dir.File("VR31KUTL.dat"), dir.File("VR31KUTL.pbk"), kCardModemName, false);
    SettingsStore settings(dir.File("VR31KUTL.ini"));
    test::RecordingView view;
    CUtilityDlg window(MainWindowParts(kv, port, utility, charge, settings), view);
    window.OnInitDialog();
    window.OnCommand(kCmdSignalButton);
    if (window.State() != 9) {
        state.SkipWithError("the signal display did not come on");
        return;
    }
    for (auto _ : state) window.OnTimer(kTimerSignal);
    benchmark::DoNotOptimize(view.picture);
}
BENCHMARK(BM_SignalDisplayTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// The history views with long histories. Targets with 100,000 rows: the list opens in
// 1 s and sorts in 300 ms, holding at most 100 MB; the chart of a period of 100,000
// rows draws in 100 ms. Figures are printed, never asserted. Runs offscreen.
#include "GeneratedHistory.h"
#include "accounting/DailyUsage.h"
#include "gui/CCfgHistoryListDlg.h"
#include "gui/HistoryListModel.h"
#include "gui/UsageChartView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>

using namespace vr31k;

namespace {

const OleDate kNow = MakeOleDate(2008, 5, 20, 12, 0, 0);

// A history of `rows` rows over fifteen months, opened once per size.
ChargeAccounting& ListHistory(int64_t rows) {
    static std::map<int64_t, std::unique_ptr<ChargeAccounting>> built;
    auto& slot = built[rows];
    if (!slot) {
        slot = std::make_unique<ChargeAccounting>();
        const std::string folder = bench::ScratchFolder("history-list");
        if (slot->History().OpenHistory(folder + "/VR31KUTL.mdb", std::nullopt) != kDbOk) std::abort();
        if (!bench::GenerateHistory(slot->History(), {rows, 450, kNow, 2000000})) std::abort();
    }
    return *slot;
}

// The benchmarks never answer a box.
struct NoBoxes : IMessageBox {
    MessageResult Show(const MessageBoxRequest&) override { return MessageResult::No; }
};

SettingsStore& NoSettings() {
    static SettingsStore store(bench::ScratchFolder("history-settings") + "/VR31KUTL.ini");
    return store;
}

// Bytes the heap has handed out and not taken back.
size_t HeapInUse() { return mallinfo2().uordblks; }

// Opening: read every row, format its texts, build the window.
void BM_OpenList(benchmark::State& state) {
    ChargeAccounting& charge = ListHistory(state.range(0));
    NoBoxes boxes;
    for (auto _ : state) {
        CCfgHistoryListDlg dialog(charge.History(), NoSettings(), boxes);
        benchmark::DoNotOptimize(dialog.Model().rowCount());
    }
    // What an open list holds: the heap with one open against none.
    const size_t before = HeapInUse();
    auto dialog = std::make_unique<CCfgHistoryListDlg>(charge.History(), NoSettings(), boxes);
    state.counters["list_MiB"] = static_cast<double>(HeapInUse() - before) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One header click: the whole list in the other direction of column `range(1)`.
void BM_SortList(benchmark::State& state) {
    ChargeAccounting& charge = ListHistory(state.range(0));
    HistoryListModel model;
    model.Fill(charge.History());
    const int column = static_cast<int>(state.range(1));
    bool ascending = true;
    for (auto _ : state) {
        model.Sort(column, ascending);
        ascending = !ascending;
    }
}
BENCHMARK(BM_SortList)
    ->ArgsProduct({{10000, 100000}, {kColEntry, kColStart, kColSent, kColCharge}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4);

// The chart of a period that holds 100,000 rows: the per-day sums, the chart, and a
// paint of it.
void BM_DrawChart(benchmark::State& state) {
    static ChargeAccounting* charge = [] {
        auto* c = new ChargeAccounting;
        const std::string folder = bench::ScratchFolder("history-chart");
        if (c->History().OpenHistory(folder + "/VR31KUTL.mdb", std::nullopt) != kDbOk) std::abort();
        if (!bench::GenerateHistory(c->History(), {100000, 29, kNow, 30, 0})) std::abort();
        c->SetClock([] { return kNow; });
        c->Plan().chargeType = kChargeTwoStage;
        c->Plan().packetCharge2 = 0.21;
        c->Plan().freePackets = 4762;
        c->Plan().freeCall1 = 1000;
        c->Plan().maxCharge2 = 4980;
        c->Plan().noticeCharge = 3000;
        c->Plan().noticeRatio = 80;
        c->Plan().chargeDay = 20;
        c->DerivePlan();
        return c;
    }();
    UsageChartView view;
    view.resize(640, 300);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        DailyUsage usage;
        if (BuildDailyUsage(*charge, "2008/04/21 - 2008/05/20", usage) != kDbOk) std::abort();
        view.ShowUsage(usage);
        QPainter painter(&image);
        view.render(&painter);
    }
}
BENCHMARK(BM_DrawChart)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Accounting at the end of a connection and at a period change, with 10,000 and
// 1,000,000 rows in the history, and `vr31kctl history list` of 100,000 rows.
// Targets: recording and the period recompute under 5 ms whatever the table's size;
// the list under 1 s. The history files are built once per run under $TMPDIR.
// Opening the history, which every start and every `vr31kctl usage` does: with the raw
// key against the pass phrase that earlier builds stretched at every open.
// The pace, the user's limit and the burst watch as a connection tick would run them
// (the tick's whole main-thread budget is 2 ms).
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/HistoryKey.h"
#include "accounting/PeriodPace.h"
#include "accounting/UsageLimit.h"
#include "cli/CliCommand.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

using namespace vr31k;

namespace {

// "Now" for every run: the rows lie in the fifteen billing periods up to it.
const OleDate kNow = MakeOleDate(2008, 5, 20, 12, 0, 0);
const OleDate kOldest = MakeOleDate(2007, 3, 1, 0, 0, 0);

std::string Folder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/vr31k-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

// A data folder whose history holds `rows` connections spread evenly from kOldest to
// kNow, each of an hour with a few megabytes, charged under a metered plan.
std::string DataFolderWith(int64_t rows) {
    static std::map<int64_t, std::string> built;
    if (auto it = built.find(rows); it != built.end()) return it->second;
    const std::string folder = Folder() + "/rows-" + std::to_string(rows);
    std::filesystem::create_directories(folder);
    CDbHistoryCtrl db;
    if (db.OpenHistory(folder + "/VR31KUTL.mdb", std::string(kPassPhrase)) != kDbOk) std::abort();
    const double span = kNow.value - kOldest.value;
    std::vector<HistoryRow> batch;
    for (int64_t i = 0; i < rows; ++i) {
        HistoryRow row;
        row.entry = i % 3 == 0 ? "mobile.example.jp" : "apn.example.jp";
        row.end = {kOldest.value + span * static_cast<double>(i) / static_cast<double>(rows), OleDate::Status::Valid};
        row.start = {row.end.value - 1.0 / 24, OleDate::Status::Valid};
        row.duration = 1.0 / 24;
        row.sent = 100000 + i % 977;
        row.recv = 3000000 + i % 7919;
        row.leftFree = 0;
        row.leftLimit = 0;
        row.charge = static_cast<int32_t>(i % 5000);
        batch.push_back(std::move(row));
        if (batch.size() == 50000 || i + 1 == rows) {
            if (db.InsertRows(batch) != kDbOk) std::abort();
            batch.clear();
        }
    }
    built[rows] = folder;
    return folder;
}

struct Controller {
    ChargeAccounting charge;
    explicit Controller(const std::string& folder) {
        charge.SetClock([] { return kNow; });
        charge.Plan().chargeType = kChargeMeteredCap;
        charge.Plan().packetCharge2 = 0.21;
        charge.Plan().maxCharge2 = 4980;
        charge.Plan().noticeCharge = 3000;
        charge.Plan().noticeRatio = 80;
        charge.Plan().chargeDay = 20;
        charge.DerivePlan();
        if (charge.History().OpenHistory(folder + "/VR31KUTL.mdb", std::string(kPassPhrase)) != kDbOk) std::abort();
    }
};

// What a finished connection costs: the period recomputed (as `history record` and a
// start-up do), the row with its charge written, and the check for history to prune.
void BM_RecordConnection(benchmark::State& state) {
    Controller c(DataFolderWith(state.range(0)));
    int64_t n = 0;
    for (auto _ : state) {
        c.charge.RecomputePeriod();
        c.charge.Live() = LiveConnection{1000 + n, 20000 + n, 3600000, "apn.example.jp", kNow};
        if (c.charge.RecordConnection(false) != kDbOk) state.SkipWithError("insert failed");
        ++n;
    }
    state.counters["period_bytes"] = static_cast<double>(c.charge.Period().periodBytes);
}

void BM_RecomputePeriod(benchmark::State& state) {
    Controller c(DataFolderWith(state.range(0)));
    for (auto _ : state) {
        c.charge.RecomputePeriod();
        benchmark::DoNotOptimize(c.charge.Period().periodBytes);
    }
}

// The seven days' rows read afresh, the limit checked, the line formatted, the burst
// window moved on by one second.
void BM_PaceAndLimitTick(benchmark::State& state) {
    Controller c(DataFolderWith(state.range(0)));
    c.charge.RecomputePeriod();
    c.charge.BeginConnection();
    LimitSettings limit;
    limit.kind = kLimitBytes;
    limit.bytes = int64_t{4} << 30;
    limit.burstBytes = int64_t{100} << 20;
    BurstWatch burst;
    int64_t n = 0;
    for (auto _ : state) {
        c.charge.Live() = LiveConnection{1000 * n, 20000 * n, 1000 * n, "apn.example.jp", OleDate::Null()};
        const LimitStatus status = CheckCurrentLimit(c.charge, limit);
        const PeriodPace pace = PaceCurrentPeriod(c.charge, true, status.limitBytes);
        benchmark::DoNotOptimize(FormatPace(pace));
        benchmark::DoNotOptimize(burst.Tick(static_cast<double>(n), kNow, 21000 * n, limit.burstBytes));
        ++n;
    }
}

void BM_HistoryList(benchmark::State& state) {
    const std::string folder = DataFolderWith(state.range(0));
    const bool csv = state.range(1) != 0;
    size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out, err;
        cli::CliContext context(folder, std::nullopt, !csv, out, err);
        cli::CliArgs args(csv ? std::vector<std::string>{"list", "--csv"} : std::vector<std::string>{"list"});
        if (cli::HistoryCommands().run(context, args) != cli::kExitOk) state.SkipWithError("list failed");
        bytes = out.str().size();
    }
    state.counters["output_bytes"] = static_cast<double>(bytes);
}

// Opening an existing history of 10,000 rows and reading its newest end time.
void BM_OpenHistory(benchmark::State& state) {
    const std::string path = DataFolderWith(10000) + "/VR31KUTL.mdb";
    for (auto _ : state) {
        CDbHistoryCtrl db;
        OleDate oldest, newest;
        if (db.OpenHistory(path, std::string(kPassPhrase)) != kDbOk || db.GetEndTimeRange(oldest, newest) != kDbOk) {
            state.SkipWithError("open failed");
        }
    }
    state.SetLabel("before: the pass phrase line below");
}

// What every open cost before: the engine keyed with the pass phrase, stretched with
// 64,000 PBKDF2 rounds, up to the first read. Measured on a copy keyed that way.
void BM_OpenHistoryWithThePassPhrase(benchmark::State& state) {
    const std::string path = Folder() + "/pass-phrase.mdb";
    std::filesystem::copy_file(DataFolderWith(10000) + "/VR31KUTL.mdb", path,
                               std::filesystem::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    const std::string rawKey = "PRAGMA key = \"" + RawHistoryKey(kPassPhrase) + "\"";
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, rawKey.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA rekey = 'QUILLET7'", nullptr, nullptr, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot key the copy with the pass phrase");
    }
    sqlite3_close(db);
    for (auto _ : state) {
        sqlite3* old = nullptr;
        sqlite3_open_v2(path.c_str(), &old, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(old, "PRAGMA key = 'QUILLET7'", nullptr, nullptr, nullptr);
        if (sqlite3_exec(old, "SELECT max(TIME_END) FROM RAS_HISTORY", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError("the pass phrase does not open the copy");
        }
        sqlite3_close(old);
    }
}

// A first start: the history is created.
void BM_CreateHistory(benchmark::State& state) {
    const std::string path = Folder() + "/new.mdb";
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        state.ResumeTiming();
        CDbHistoryCtrl db;
        if (db.OpenHistory(path, std::string(kPassPhrase)) != kDbOk) state.SkipWithError("create failed");
    }
}

BENCHMARK(BM_OpenHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenHistoryWithThePassPhrase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordConnection)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecomputePeriod)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaceAndLimitTick)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryList)->Args({100000, 0})->Args({100000, 1})->ArgNames({"rows", "csv"})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
    return 0;
}

#include "GeneratedHistory.h"

#include <cstdlib>
#include <vector>

namespace vr31k::bench {

bool GenerateHistory(CDbHistoryCtrl& db, const HistoryShape& shape) {
    static const char* const kEntries[] = {"mobile.example.jp", "apn.example.jp", "biz.example.co.jp", "test"};
    const double step = static_cast<double>(shape.days) / static_cast<double>(shape.rows);
    const double first = shape.last.value - shape.days;
    uint64_t seed = 88172645463325252ULL;
    const auto next = [&seed] {  // xorshift: the same history on every run
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    std::vector<HistoryRow> batch;
    batch.reserve(50000);
    for (int64_t i = 0; i < shape.rows; ++i) {
        HistoryRow row;
        row.entry = kEntries[next() % 4];
        row.end = {first + step * static_cast<double>(i + 1), OleDate::Status::Valid};
        const int64_t seconds = static_cast<int64_t>(next() % 7200) + 1;
        row.start = {row.end.value - static_cast<double>(seconds) / kSecondsPerDay, OleDate::Status::Valid};
        row.duration = static_cast<double>(seconds) / kSecondsPerDay;
        // Mostly around the mean, now and then a transfer above 2^30 bytes.
        const bool large = shape.largeEvery > 0 && next() % static_cast<uint64_t>(shape.largeEvery) == 0;
        const int64_t bytes = large ? 1200000000 + static_cast<int64_t>(next() % 900000000)
                                                : static_cast<int64_t>(next() % static_cast<uint64_t>(2 * shape.meanBytes));
        row.sent = bytes / 10;
        row.recv = bytes - row.sent;
        row.leftFree = static_cast<int64_t>(next() % 700000);
        row.leftLimit = static_cast<int64_t>(next() % 4000000);
        if (next() % 20 != 0) row.charge = static_cast<int32_t>(next() % 5000);
        batch.push_back(std::move(row));
        if (batch.size() == 50000 || i + 1 == shape.rows) {
            if (db.InsertRows(batch) != kDbOk) return false;
            batch.clear();
        }
    }
    return true;
}

std::string ScratchFolder(const char* name) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/vr31k-" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

}  // namespace vr31k::bench

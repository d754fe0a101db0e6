#pragma once
// Histories for the GUI benchmarks and the screenshots: rows spread evenly over a
// number of days before `last`, with entry names, durations and volumes that give the
// list every kind of text (seconds to hours, bytes and kilobytes, empty charges).
#include "accounting/CDbHistoryCtrl.h"

#include <cstdint>
#include <string>

namespace vr31k::bench {

struct HistoryShape {
    int64_t rows = 1000;
    int days = 30;             // the span the rows' end times cover
    OleDate last;              // the newest row's end
    int64_t meanBytes = 2000000;  // average sent + received of a connection
    int largeEvery = 500;         // about one in so many moves more than 2^30 bytes; 0 none
};

// Writes the rows into `db` (open); false when the history refused them.
bool GenerateHistory(CDbHistoryCtrl& db, const HistoryShape& shape);

// A fresh folder under $TMPDIR (or /tmp) for this run.
std::string ScratchFolder(const char* name);

}  // namespace vr31k::bench

#pragma once
// A charge controller over a real history file in a fresh folder, on a clock the test
// sets: the tests of periods, notices, paces and limits start from it.
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"
#include "support/SamplePlan.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace vr31k::test {

inline OleDate At(const char* text) { return ParseOleDateTime(text).value(); }

class ChargeFixture : public ::testing::Test {
protected:
    TempDir dir;
    ChargeAccounting charge;
    OleDate now = At("2008/05/20 12:00:00");

    void SetUp() override {
        charge.SetClock([this] { return now; });
        ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
    }
    void Use(const DialupSettings& plan) {
        charge.Plan() = plan;
        charge.DerivePlan();
    }
    // A connection that ended at `end` after `ms`, recorded.
    int Record(const char* end, int64_t sent, int64_t recv, int64_t ms = 1000, const char* entry = "apn") {
        charge.Live() = LiveConnection{sent, recv, ms, entry, At(end)};
        return charge.RecordConnection(false);
    }
    std::vector<HistoryRow> Rows() const {
        std::vector<HistoryRow> rows;
        charge.History().ForEachRow([&](const HistoryRow& r) { rows.push_back(r); return true; });
        return rows;
    }
};

}  // namespace vr31k::test

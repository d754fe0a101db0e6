#pragma once
// What the charge plan page offers: the charge types and closing days of its two lists,
// and which groups of controls each charge type shows.
#include <string>
#include <vector>

namespace vr31k {

// The charge types in list order (the index is the stored ChargeType).
std::vector<std::string> ChargeTypeItems();
// The 33 closing days in list order (the index is the stored ChargeDay): no reset,
// the 1st to the 31st, the month's end.
std::vector<std::string> ClosingDayItems();

// The groups of controls the charge type switches.
struct PlanVisibility {
    bool priceSizeNotice = true;  // price, packet size and the notice group
    bool freeAllowance = true;    // free packets and the free-allowance fee
    bool cap = true;              // the cap or flat fee
    bool operator==(const PlanVisibility&) const = default;
};

// A type that is not in the list (none chosen yet) shows everything.
PlanVisibility VisibilityFor(int chargeType);

}  // namespace vr31k

#include "accounting/PlanChoices.h"

#include "accounting/ChargePlan.h"
#include "accounting/BillingPeriod.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k {

std::vector<std::string> ChargeTypeItems() {
    std::vector<std::string> items;
    for (int id = ids::IDS_PLAN_TYPE_METERED; id <= ids::IDS_PLAN_TYPE_FLAT; ++id) items.emplace_back(LoadString(id));
    return items;
}

std::vector<std::string> ClosingDayItems() {
    std::vector<std::string> items{std::string(LoadString(ids::IDS_PLAN_CLOSING_NONE))};
    for (int day = 1; day < kClosingDayMonthEnd; ++day) {
        items.push_back(FormatString(ids::IDS_PLAN_CLOSING_DAY_FORMAT, {std::to_string(day)}));
    }
    items.emplace_back(LoadString(ids::IDS_PLAN_CLOSING_MONTH_END));
    return items;
}

PlanVisibility VisibilityFor(int chargeType) {
    switch (chargeType) {
    case kChargeMetered: return {true, false, false};
    case kChargeMeteredFree: return {true, true, false};
    case kChargeMeteredCap: return {true, false, true};
    case kChargeTwoStage: return {true, true, true};
    case kChargeFlat: return {false, false, true};
    default: return {};
    }
}

}  // namespace vr31k

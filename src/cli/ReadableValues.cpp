#include "cli/ReadableValues.h"

#include "accounting/HistoryCsv.h"

#include "common/StringTable.h"

#include <iterator>
#include <string>

namespace vr31k::cli {

namespace {

constexpr const char* kNotSet = "not set";

Json Named(int64_t value, const char* name) { return Json::Shown(value, std::string(name) + " (" + std::to_string(value) + ")"); }

}  // namespace

Json CardStateJson(int state) {
    // As the main window's pictures show them.
    static constexpr const char* kNames[] = {
        "no usable card",     "card present, the last operation failed",
        "no SIM inserted",    "unsupported SIM",
        "PIN entry cancelled", "PUK needed",
        "SIM locked for good", "SIM failure",
        "ready",              "signal display on",
        "dialling or connected", "connection made outside the utility",
    };
    if (state < 0 || state >= static_cast<int>(std::size(kNames))) return state;
    return Named(state, kNames[state]);
}

void SetMessages(Json& result, const std::vector<ShownBox>& boxes) {
    Json ids = Json::MakeArray();
    Json texts = Json::MakeArray();
    for (const ShownBox& box : boxes) {
        const std::string caption(LoadString(box.captionId));
        ids.Push(Json::Shown(box.captionId, "[" + caption + "] " + box.text));
        texts.Push(Json::MakeObject().Set("caption", caption).Set("text", box.text));
    }
    result.Set("messages", std::move(ids)).Set("message_texts", Json::JsonOnly(std::move(texts)));
}

Json PlanValue(int32_t value) { return value < 0 ? Json::Shown(value, kNotSet) : Json(value); }

Json PlanValue(double value) { return value < 0 ? Json::Shown(value, kNotSet) : Json(value); }

Json ChargeTypeJson(int32_t type) {
    static constexpr const char* kNames[] = {
        "metered", "metered with a free allowance", "metered with a cap", "two-stage flat rate", "flat rate",
    };
    if (type < 0) return Json::Shown(type, kNotSet);
    if (type >= static_cast<int32_t>(std::size(kNames))) return type;
    return Named(type, kNames[type]);
}

Json ClosingDayJson(int32_t day) {
    if (day == 0) return Named(day, "no reset");
    if (day == 32) return Named(day, "the month's last day");
    return day;
}

Json DurationJson(double dayFraction) {
    if (const auto seconds = DurationSeconds(dayFraction)) return Json(*seconds);
    return Json(dayFraction * kSecondsPerDay);
}

}  // namespace vr31k::cli

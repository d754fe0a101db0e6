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

Json ChargeJson(int64_t yen) { return yen < 0 ? Json::Shown(yen, "no plan") : Json(yen); }

Json DurationJson(double dayFraction) {
    if (const auto seconds = DurationSeconds(dayFraction)) return Json(*seconds);
    return Json(dayFraction * kSecondsPerDay);
}

namespace {
class JsonFields final : public ISnapshotFields {
public:
    explicit JsonFields(Json& json) : m_json(json) {}
    void Text(const char* key, const std::string& value) override { m_json.Set(key, value); }
    void Number(const char* key, int64_t value) override { m_json.Set(key, static_cast<long long>(value)); }
    void Count(const char* key, uint64_t value) override { m_json.Set(key, static_cast<unsigned long long>(value)); }
    void Charge(const char* key, int32_t yen) override { m_json.Set(key, ChargeJson(yen)); }

private:
    Json& m_json;
};
}  // namespace

Json& SetFigures(Json& json, const ConnectionSnapshot& snapshot) {
    JsonFields fields(json);
    WriteSnapshot(snapshot, fields);
    return json;
}

}  // namespace vr31k::cli

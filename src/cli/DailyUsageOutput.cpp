#include "cli/DailyUsageOutput.h"

#include "accounting/DailyUsage.h"
#include "cli/ReadableValues.h"

#include <ostream>

namespace vr31k::cli {

namespace {

// A plan's amount: 0 is "none".
Json AmountJson(int32_t yen) { return yen > 0 ? Json(yen) : Json(); }

}  // namespace

int PrintDailyUsage(CliContext& context, CChargeSession& session, const std::optional<std::string>& period,
                    bool csv) {
    DailyUsage usage;
    const std::string which = period.value_or(session.Charge().Period().period);
    const int code = BuildDailyUsage(session.Charge(), which, usage);
    if (code == kDbBadArgument) throw UsageError("--period must read \"YYYY/MM/DD - YYYY/MM/DD\", not '" + which + "'");
    if (code != kDbOk) return session.FailHistory(code, "cannot read the history");

    if (csv) {
        // An empty charge where no plan applies, as the history's CSV has it.
        std::string text = std::string(kDailyCsvHeader) + "\n";
        for (const DailyUsagePoint& p : usage.days) {
            text += FormatOleDay(p.day) + "," + std::to_string(p.bytes) + "," + std::to_string(p.cumulativeBytes) +
                    "," + (p.cumulativeCharge >= 0 ? std::to_string(p.cumulativeCharge) : std::string()) + "\n";
        }
        context.Out() << text;
        context.Out().flush();
        return kExitOk;
    }
    Json days = Json::MakeArray();
    for (const DailyUsagePoint& p : usage.days) {
        days.Push(Json::MakeObject()
                      .Set("day", FormatOleDay(p.day))
                      .Set("bytes", p.bytes)
                      .Set("cumulative_bytes", p.cumulativeBytes)
                      .Set("charge", ChargeJson(p.cumulativeCharge)));
    }
    const Json today = usage.todayIndex >= 0
                           ? Json(FormatOleDay(usage.days[static_cast<size_t>(usage.todayIndex)].day))
                           : Json();
    Json result = Json::MakeObject();
    result.Set("period", usage.period)
        .Set("today", today)
        .Set("free_amount", AmountJson(usage.freeAmount))
        .Set("cap", AmountJson(usage.cap))
        .Set("notice_amount", AmountJson(usage.noticeAmount))
        .Set("days", std::move(days));
    return context.Print(result);
}

}  // namespace vr31k::cli

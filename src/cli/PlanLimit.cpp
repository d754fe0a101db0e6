#include "cli/PlanLimit.h"

#include "cli/ChargeSession.h"
#include "cli/SettingsJson.h"
#include "common/FileSystem.h"
#include "common/StringIds.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace vr31k::cli {

namespace {

Json DayJson(const std::optional<OleDate>& day) { return day ? Json(FormatOleDay(*day)) : Json(nullptr); }

const char* MarkJson(PaceMark mark) {
    static constexpr const char* kNames[] = {"free_allowance", "notice", "cap", "limit"};
    return kNames[static_cast<int>(mark)];
}

Json LimitPlanJson(const LimitSettings& limit, const LimitStatus& status, const std::string& problem) {
    Json j = Json::MakeObject();
    j.Set("limit_bytes", status.limitBytes)
        .Set("warn_bytes", status.warnBytes)
        .Set("problem", problem.empty() ? Json::JsonOnly(nullptr) : Json(problem));
    if (limit.kind != kLimitOff) j.Set("amount", LimitAmountText(limit));
    return j;
}

int PrintLimit(CliContext& context, const LimitSettings& limit, const ChargeAccounting& charge) {
    const LimitStatus status = CheckLimit(limit, charge.Plan(), charge.Derived(), 0, 0);
    Json result = Json::MakeObject();
    result.Set(kLimitSection, LimitSettingsJson(limit))
        .Set("derived", LimitPlanJson(limit, status, LimitProblem(limit, charge.Plan(), charge.Derived())));
    return context.Print(result);
}

}  // namespace

int ShowLimit(CliContext& context, CliArgs& args) {
    args.Finish();
    CChargeSession session(context);
    return PrintLimit(context, context.Settings().ReadLimit(), session.Charge());
}

int SetLimit(CliContext& context, CliArgs& args) {
    const bool off = args.Flag("--off");
    struct Field {
        LimitField field;
        std::optional<std::string> text;
        LimitFieldCheck result;
    };
    std::vector<Field> fields;
    for (const LimitFieldRule& rule : kLimitFields) {
        if (rule.option != nullptr) fields.push_back({rule.field, args.Option(rule.option), {}});
    }
    args.Finish();
    const auto given = [&](LimitField field) -> const Field& {
        return *std::find_if(fields.begin(), fields.end(), [field](const Field& f) { return f.field == field; });
    };
    const Field& charge = given(LimitField::Charge);
    const Field& bytes = given(LimitField::Bytes);
    if (static_cast<int>(off) + static_cast<int>(charge.text.has_value()) + static_cast<int>(bytes.text.has_value()) >
        1) {
        throw UsageError("--off, --charge and --bytes exclude each other");
    }
    // The first refused value stops everything.
    for (Field& f : fields) {
        if (!f.text) continue;
        f.result = CheckLimitField(f.field, *f.text);
        if (!f.result.ok) return context.Fail(ids::IDS_LIMIT_RANGE_CAPTION, "invalid-value", f.result.text);
    }

    CChargeSession session(context);
    const SettingsStore store = context.Settings();
    context.PrepareDataFolder();
    LimitSettings limit;
    std::string problem;
    const int error = store.ChangeLimit([&](LimitSettings& current) {
        if (off) current.kind = kLimitOff;
        if (charge.text) current.kind = kLimitCharge;
        if (bytes.text) current.kind = kLimitBytes;
        for (const Field& f : fields) {
            if (f.text) SetLimitFieldValue(current, f.field, f.result.value);
        }
        // A limit that could never stop anything is refused rather than trusted.
        problem = LimitProblem(current, session.Charge().Plan(), session.Charge().Derived());
        limit = current;
        return problem.empty();
    });
    if (!problem.empty()) return context.Fail(ids::IDS_LIMIT_NOT_APPLICABLE_CAPTION, "invalid-limit", problem);
    if (error != 0) {
        return context.Fail(error, "write-failed", "cannot write " + store.Path() + ": " + FileErrorText(error));
    }
    return PrintLimit(context, limit, session.Charge());
}

std::optional<int> RefuseAtLimit(CliContext& context, const ChargeAccounting& charge, bool overLimit) {
    const auto refusal = LimitRefusal(charge, context.Settings().ReadLimit(), overLimit);
    if (!refusal) return std::nullopt;
    context.Fail(ids::IDS_LIMIT_REFUSED_CAPTION, "limit-reached", *refusal);
    return kExitLimitReached;
}

void SetPace(Json& result, const PeriodPace& pace) {
    if (!pace.available) {
        for (const char* key : {"mean_per_day", "week_per_day"}) {
            result.Set(key, Json::Shown(nullptr, "none: the period has no end"));
        }
        result.Set("pace", Json::JsonOnly(Json::MakeArray())).Set("pace_line", Json::JsonOnly(nullptr));
        return;
    }
    result.Set("mean_per_day", pace.meanPerDay)
        .Set("week_per_day", pace.weekPerDay ? Json(*pace.weekPerDay) : Json::Shown(nullptr, "unknown"));
    Json targets = Json::MakeArray();
    for (const PaceTarget& t : pace.targets) {
        targets.Push(Json::MakeObject()
                         .Set("mark", MarkJson(t.mark))
                         .Set("at_bytes", t.atBytes)
                         .Set("bytes_left", t.bytesLeft)
                         .Set("per_day", t.perDay)
                         .Set("day_by_mean", DayJson(t.byMean))
                         .Set("day_by_week", DayJson(t.byWeek)));
    }
    // People read the line; the JSON has the figures too.
    result.Set("pace", Json::JsonOnly(std::move(targets))).Set("pace_line", FormatPace(pace));
}

void SetLimitStatus(Json& result, const LimitSettings& limit, const LimitStatus& status) {
    if (limit.kind == kLimitOff) return;
    static constexpr const char* kStates[] = {"does not apply", "below", "warning", "reached"};
    Json j = Json::MakeObject();
    j.Set("amount", LimitAmountText(limit))
        .Set("state", kStates[static_cast<int>(status.state)])
        .Set("limit_bytes", status.limitBytes)
        .Set("warn_bytes", status.warnBytes)
        .Set("bytes_left", status.bytesLeft);
    result.Set("limit", std::move(j));
}

}  // namespace vr31k::cli

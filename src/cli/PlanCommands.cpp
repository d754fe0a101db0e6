// vr31kctl plan show | set | charge | limit | set-limit, and vr31kctl usage
#include "accounting/PeriodProjection.h"
#include "accounting/PlanFieldRules.h"
#include "accounting/SpoolImport.h"
#include "cli/ChargeSession.h"
#include "cli/DailyUsageOutput.h"
#include "cli/PlanLimit.h"
#include "cli/ProgramUsageOutput.h"
#include "cli/ReadableValues.h"
#include "cli/SettingsJson.h"
#include "common/FileSystem.h"

#include <optional>
#include <utility>
#include <vector>

namespace vr31k::cli {

namespace {

constexpr std::string_view kPlanHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] plan show\n"
    "       vr31kctl [--json] [--data-dir DIR] plan set [--type N] [--price X] [--free-packets N]\n"
    "            [--free-fee N] [--cap N] [--packet-size N] [--notice-charge N] [--notice-ratio N]\n"
    "            [--closing-day N]\n"
    "       vr31kctl [--json] [--data-dir DIR] plan charge BYTES\n"
    "       vr31kctl [--json] [--data-dir DIR] plan limit\n"
    "       vr31kctl [--json] [--data-dir DIR] plan set-limit [--off | --charge N | --bytes SIZE]\n"
    "            [--warn-ratio N] [--burst SIZE]\n"
    "\n"
    "show    the price plan (DUP_CONFIG) and what the utility derives from it.\n"
    "set     changes the plan and writes DUP_CONFIG; an empty value unsets a field.\n"
    "        --type           0 metered, 1 metered with a free allowance, 2 metered with a cap,\n"
    "                         3 two-stage flat rate, 4 flat rate\n"
    "        --price          yen per packet (0.001 to 999999)\n"
    "        --free-packets   packets of the free allowance (1 to 99999999)\n"
    "        --free-fee       yen the free allowance costs (1 to 999999)\n"
    "        --cap            yen: the cap, or the flat fee (1 to 999999)\n"
    "        --packet-size    bytes per packet (1 to 999999; required)\n"
    "        --notice-charge  yen of the charge notice (1 to 999999)\n"
    "        --notice-ratio   percent of it at which the notice fires (50 to 100)\n"
    "        --closing-day    0 no reset, 1-31 that day of the month, 32 the month's end\n"
    "charge  the estimated charge for a billing period of BYTES under the plan\n"
    "        (-1 when the plan is incomplete).\n"
    "limit   your own limit on a period's use (VR31K_LIMIT; off unless set) and where it\n"
    "        lies in bytes under the plan.\n"
    "set-limit  changes it; nothing is written when a value is refused.\n"
    "        --off            no limit (the amounts are kept)\n"
    "        --charge         yen of the period's estimated charge (1 to 999999); refused\n"
    "                         when the plan's charge never reaches it by use\n"
    "        --bytes          bytes of the period (1k to 1024T; k, M, G, T are powers of 1024)\n"
    "        --warn-ratio     percent of the limit at which it warns (1 to 99; 0 no warning)\n"
    "        --burst          warn when a connection moves more than SIZE within ten\n"
    "                         minutes (0 off)\n"
    "        Reaching the limit hangs the connection up; `connect` then refuses to dial\n"
    "        (exit status 3) unless told to go past it.\n";

constexpr std::string_view kUsageHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] usage\n"
    "       vr31kctl [--json] [--data-dir DIR] usage --daily [--csv] [--period \"YYYY/MM/DD - YYYY/MM/DD\"]\n"
    "       vr31kctl [--json] [--data-dir DIR] usage --programs [--period \"YYYY/MM/DD - YYYY/MM/DD\"]\n"
    "\n"
    "The current billing period from the history: bytes of the finished connections,\n"
    "the estimated charge (-1 without a plan), and the bytes left of the free allowance,\n"
    "before the cap and before the charge notice.\n"
    "Then where the period will end at its pace so far (the mean bytes per day elapsed,\n"
    "at least one, times the days of the period): projected_bytes, projected_charge and\n"
    "days_left (null when the period never ends, closing day 0), and a warning when the\n"
    "projection reaches the notice amount or the cap the period has not reached yet.\n"
    "--daily  the period (the current one, or --period) day by day: the bytes of the\n"
    "         connections that ended that day and the period's estimated charge at its\n"
    "         end; --csv prints a header line and one line per day.\n"
    "The pace: mean_per_day (the period's bytes per day elapsed) and week_per_day (the\n"
    "last seven days'), and for each amount the plan has (free allowance, notice, cap)\n"
    "and your own limit: the bytes left, per_day (shared among today and the days after\n"
    "it) and the day it would be reached at each pace (null: not in this period); the\n"
    "pace_line sums it up. With the limit on, \"limit\" tells where the period stands.\n"
    "--programs  the period (the current one, or --period) per program on the card's link:\n"
    "         bytes sent and received, bytes kept off (blocked), and charge_share, each\n"
    "         connection's estimated charge shared among its programs in proportion to their\n"
    "         bytes; then how many connections have no per-program figures and their bytes.\n";

Json DerivedJson(const DerivedPlan& d) {
    Json j = Json::MakeObject();
    j.Set("type", ChargeTypeJson(d.type))
        .Set("free_amount", d.freeAmount)
        .Set("cap", d.cap)
        .Set("free_bytes", d.freeBytes)
        .Set("limit_bytes", d.limitBytes)
        .Set("notice_bytes", d.noticeBytes);
    return j;
}

int PrintPlan(CliContext& context, const ChargeAccounting& charge) {
    Json result = Json::MakeObject();
    result.Set("settings", DialupSettingsJson(charge.Plan())).Set("derived", DerivedJson(charge.Derived()));
    return context.Print(result);
}

// A list choice: empty unsets it, else a whole number in range.
int32_t ListChoice(const std::string& text, std::string_view what, int max) {
    if (text.empty()) return -1;
    return static_cast<int32_t>(CliArgs::ToInteger(text, what, 0, max));
}

int Set(CliContext& context, CliArgs& args) {
    CChargeSession session(context);
    DialupSettings plan;
    const auto type = args.Option("--type");
    const auto closingDay = args.Option("--closing-day");
    std::vector<std::pair<PlanField, std::optional<std::string>>> texts;
    for (const PlanFieldRule& rule : kPlanFields) texts.emplace_back(rule.field, args.Option(rule.option));
    args.Finish();

    const std::optional<int32_t> chargeType =
        type ? std::optional<int32_t>(ListChoice(*type, "--type", 4)) : std::nullopt;
    // The closing day is a choice from a list that always has one selected.
    const std::optional<int32_t> chargeDay =
        closingDay ? std::optional(static_cast<int32_t>(CliArgs::ToInteger(*closingDay, "--closing-day", 0, 32)))
                   : std::nullopt;
    // In the page's order; the first refused value stops everything.
    std::vector<std::pair<PlanField, double>> values;
    for (const auto& [field, text] : texts) {
        if (!text) continue;
        const PlanFieldCheck check = CheckPlanField(field, *text);
        if (!check.ok) return context.Fail(check.captionId, "invalid-value", check.text);
        values.emplace_back(field, check.value);
    }

    // The values given change the plan the file holds when it is written (another
    // program may have changed other keys since this one read it).
    const SettingsStore store = context.Settings();
    context.PrepareDataFolder();
    PlanFieldCheck combination;
    combination.ok = true;
    const int error = store.ChangeDialup([&](DialupSettings& current) {
        if (chargeType) current.chargeType = *chargeType;
        if (chargeDay) current.chargeDay = *chargeDay;
        for (const auto& [field, value] : values) SetPlanFieldValue(current, field, value);
        combination = CheckPlanCombination(current);
        plan = current;
        return combination.ok;
    });
    if (!combination.ok) return context.Fail(0, "invalid-plan", combination.text);
    if (error != 0) {
        return context.Fail(error, "write-failed", "cannot write " + store.Path() + ": " + FileErrorText(error));
    }
    session.Charge().Plan() = plan;
    session.Charge().DerivePlan();
    return PrintPlan(context, session.Charge());
}

int Charge(CliContext& context, CliArgs& args) {
    const std::string bytesText = args.Require("BYTES");
    args.Finish();
    const int64_t bytes = CliArgs::ToInteger(bytesText, "BYTES", 0, INT64_MAX);
    CChargeSession session(context);
    int64_t freeLeft = 0, limitLeft = 0;
    const int32_t charge = session.Charge().ComputeChargeForBytes(bytes, freeLeft, limitLeft);
    Json result = Json::MakeObject();
    result.Set("charge", ChargeJson(charge)).Set("free_left", freeLeft).Set("limit_left", limitLeft);
    return context.Print(result);
}

int RunPlan(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("plan command (show, set, charge, limit or set-limit)");
    if (sub == "show") {
        args.Finish();
        CChargeSession session(context);
        return PrintPlan(context, session.Charge());
    }
    if (sub == "set") return Set(context, args);
    if (sub == "charge") return Charge(context, args);
    if (sub == "limit") return ShowLimit(context, args);
    if (sub == "set-limit") return SetLimit(context, args);
    throw UsageError("unknown plan command '" + sub + "'");
}

void SetProjection(Json& result, const PeriodProjection& projection) {
    if (projection.available) {
        result.Set("projected_bytes", projection.projectedBytes)
            .Set("projected_charge", ChargeJson(projection.projectedCharge))
            .Set("days_left", projection.daysLeft);
    } else {
        for (const char* key : {"projected_bytes", "projected_charge", "days_left"}) {
            result.Set(key, Json::Shown(nullptr, "none: the period has no end"));
        }
    }
    // People see the line only when there is one; the JSON always has the key.
    if (projection.warningText.empty()) result.Set("warning", Json::JsonOnly(nullptr));
    else result.Set("warning", projection.warningText);
}

int RunUsage(CliContext& context, CliArgs& args) {
    const bool daily = args.Flag("--daily");
    const bool programs = args.Flag("--programs");
    const bool csv = args.Flag("--csv");
    const auto period = args.Option("--period");
    args.Finish();
    if (daily && programs) throw UsageError("--daily and --programs exclude each other");
    if ((csv && !daily) || (period && !daily && !programs)) {
        throw UsageError("--csv goes with --daily, --period with --daily or --programs");
    }
    if (csv && context.JsonOutput()) throw UsageError("--csv and --json exclude each other");
    CChargeSession session(context);
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    if (daily) return PrintDailyUsage(context, session, period, csv);
    if (programs) return PrintProgramUsage(context, session, period);
    const ChargeAccounting& charge = session.Charge();
    const LimitSettings limit = context.Settings().ReadLimit();
    const PeriodSnapshot now = PeriodOf(charge, false, limit);
    Json result = Json::MakeObject();
    result.Set("period", charge.Period().period)
        .Set("bytes", charge.Period().periodBytes)
        .Set("charge", ChargeJson(now.charge))
        .Set("free_left", now.freeLeft)
        .Set("limit_left", now.limitLeft)
        .Set("notice_left", charge.Period().noticeLeft);
    SetProjection(result, now.projection);
    SetPace(result, *now.pace);
    SetLimitStatus(result, limit, *now.limit);
    // The connections watched now, as their keepers last saved them: what a kill or a
    // power cut would leave counted.
    Json running = Json::MakeArray();
    for (const UsageRecord& live : RunningLiveRecords(context.Paths().folder)) {
        Json one = Json::MakeObject();
        one.Set("entry", live.entry)
            .Set("sent", live.sent)
            .Set("recv", live.recv)
            .Set("duration_s", live.durationSeconds)
            .Set("saved", SavedTimeText(live.end));
        running.Push(std::move(one));
    }
    result.Set("running", std::move(running));
    return context.Print(result);
}

}  // namespace

const CommandGroup& PlanCommands() {
    static const CommandGroup group{"plan", "show or change the price plan; the charge for a byte count", kPlanHelp,
                                    RunPlan};
    return group;
}

const CommandGroup& UsageCommands() {
    static const CommandGroup group{"usage", "the current billing period: bytes, charge, what is left", kUsageHelp,
                                    RunUsage};
    return group;
}

}  // namespace vr31k::cli

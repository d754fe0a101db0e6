// vr31kctl history list | periods | totals | record | import | clear
#include "accounting/BillingPeriod.h"
#include "accounting/HistoryCsv.h"
#include "accounting/HistoryRowRules.h"
#include "cli/ChargeSession.h"
#include "cli/ReadableValues.h"
#include "common/ByteCount.h"
#include "common/FileSystem.h"

#include <optional>
#include <ostream>
#include <type_traits>

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] history list [--csv]\n"
    "       vr31kctl [--json] [--data-dir DIR] history periods\n"
    "       vr31kctl [--json] [--data-dir DIR] history totals --period \"YYYY/MM/DD - YYYY/MM/DD\"\n"
    "       vr31kctl [--json] [--data-dir DIR] history totals --entry NAME\n"
    "       vr31kctl [--json] [--data-dir DIR] history record --entry NAME --end \"YYYY/MM/DD HH:MM:SS\"\n"
    "            --duration-ms N --sent N --recv N\n"
    "       vr31kctl [--json] [--data-dir DIR] history import FILE.csv\n"
    "       vr31kctl [--json] [--data-dir DIR] history clear\n"
    "\n"
    "list     every connection in the order it was recorded; --csv prints a header line and\n"
    "         one line per connection, the form import reads.\n"
    "periods  the billing periods that hold connections, newest first.\n"
    "totals   the totals of a billing period (the charge under the current plan), or of an\n"
    "         entry.\n"
    "record   records a connection made while the utility was not running, as the utility\n"
    "         records one when it ends (charge and remainders of the current period, and\n"
    "         history older than fifteen billing periods removed).\n"
    "import   adds the rows of a CSV file in the list's form; one bad line rejects the file.\n"
    "clear    removes every connection and compacts the file.\n";

// A row's fields in the list's order, durations and empty values as the list shows
// them: `field` takes each key with its text, or its number as a JSON value (null when
// empty; a duration beyond 64 bits of seconds as a real, as stored).
template <typename Field>
void RowFields(const HistoryRow& row, Field&& field) {
    const auto number = [](const auto& value) { return value ? Json(static_cast<int64_t>(*value)) : Json(); };
    field("entry", row.entry);
    field("start", FormatOleDateTime(row.start));
    field("end", FormatOleDateTime(row.end));
    field("duration_s", DurationJson(row.duration));
    field("sent", Json(row.sent));
    field("recv", Json(row.recv));
    field("left_free", number(row.leftFree));
    field("left_limit", number(row.leftLimit));
    field("charge", number(row.charge));
}

Json RowJson(const HistoryRow& row) {
    Json j = Json::MakeObject();
    RowFields(row, [&j](const char* key, const auto& value) { j.Set(key, value); });
    return j;
}

// What RowJson(row).Dump() gives, written straight into `out`: the long list's rows
// are not built as values first.
void AppendRowJson(std::string& out, const HistoryRow& row) {
    char separator = '{';
    RowFields(row, [&](const char* key, const auto& value) {
        out += separator;
        if (separator == ',') out += ' ';
        separator = ',';
        out += '"';
        out += key;
        out += "\": ";
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) out += JsonQuote(value);
        else out += value.Dump();
    });
    out += '}';
}

// Rows go out as they are read, a buffer at a time, so a long history costs no memory.
// The output is that of the whole list printed at once. A failure before the first
// buffer went out prints only the error; a later one ends the partial line first.
int StreamRows(CliContext& context, CChargeSession& session) {
    constexpr size_t kFlushBytes = 64 * 1024;
    const bool json = context.JsonOutput();
    std::string buffer = json ? "{\"rows\": [" : "rows:\n";
    bool any = false;
    bool flushed = false;
    const auto flush = [&] {
        context.Out().write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
        flushed = true;
    };
    const int result = session.History().ForEachRow([&](const HistoryRow& row) {
        if (json) {
            if (any) buffer += ", ";
            AppendRowJson(buffer, row);
        } else {
            buffer += "  -\n" + RowJson(row).DumpText(2);
        }
        any = true;
        if (buffer.size() >= kFlushBytes) flush();
        return true;
    });
    if (result != kDbOk) {
        if (flushed) context.Out() << '\n';
        return session.FailHistory(result, "cannot read the history");
    }
    if (!any && !json) buffer = "rows: none\n";
    if (json) buffer += "]}\n";
    flush();
    context.Out().flush();
    return kExitOk;
}

int List(CliContext& context, CChargeSession& session, CliArgs& args) {
    const bool csv = args.Flag("--csv");
    args.Finish();
    if (csv && context.JsonOutput()) throw UsageError("--csv and --json exclude each other");
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    if (csv) {
        std::string text;
        const int result = WriteHistoryCsv(session.History(), text);
        if (result != kDbOk) return session.FailHistory(result, "cannot read the history");
        context.Out() << text;
        context.Out().flush();
        return kExitOk;
    }
    return StreamRows(context, session);
}

int Periods(CliContext& context, CChargeSession& session, CliArgs& args) {
    args.Finish();
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    std::vector<std::string> periods;
    session.History().GetHistoryPeriods(periods, session.Charge().Plan().chargeDay);  // an empty history: none
    Json list = Json::MakeArray();
    for (auto& p : periods) list.Push(std::move(p));
    return context.Print(Json::MakeObject().Set("periods", std::move(list)));
}

int Totals(CliContext& context, CChargeSession& session, CliArgs& args) {
    const auto period = args.Option("--period");
    const auto entry = args.Option("--entry");
    args.Finish();
    if (period.has_value() == entry.has_value()) throw UsageError("give either --period or --entry");
    if (period) {
        const bool wellFormed = period->size() == 23 && period->substr(10, 3) == " - " &&
                                ParseOleDay(PeriodStart(*period)) && ParseOleDay(PeriodEnd(*period));
        if (!wellFormed) throw UsageError("--period must read \"YYYY/MM/DD - YYYY/MM/DD\", not '" + *period + "'");
    }
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    Json result = Json::MakeObject();
    if (period) {
        RangeTotals totals;
        const int code = session.History().GetRangeTotals(std::string(PeriodStart(*period)),
                                                          std::string(PeriodEnd(*period)), totals);
        if (code != kDbOk) return session.FailHistory(code, "cannot read the history");
        int64_t freeLeft = 0, limitLeft = 0;
        const int32_t charge = session.Charge().ComputeChargeForBytes(AddSaturating(totals.sent, totals.recv), freeLeft,
                                                                             limitLeft);
        result.Set("duration_s", DurationJson(totals.duration))
            .Set("sent", totals.sent)
            .Set("recv", totals.recv)
            .Set("charge", ChargeJson(charge))
            .Set("free_left", freeLeft)
            .Set("limit_left", limitLeft);
    } else {
        EntryTotals totals;
        const int code = session.History().GetEntryTotals(*entry, totals);
        if (code == kDbBadArgument) throw UsageError("--entry needs a name");
        if (code != kDbOk) return session.FailHistory(code, "cannot read the history");
        result.Set("duration_s", DurationJson(totals.duration)).Set("sent", totals.sent).Set("recv", totals.recv);
    }
    return context.Print(result);
}

int Record(CliContext& context, CChargeSession& session, CliArgs& args) {
    const auto entry = args.Option("--entry");
    const auto end = args.Option("--end");
    const auto durationMs = args.Option("--duration-ms");
    const auto sent = args.Option("--sent");
    const auto recv = args.Option("--recv");
    args.Finish();
    if (!entry || !end || !durationMs || !sent || !recv) {
        throw UsageError("record needs --entry, --end, --duration-ms, --sent and --recv");
    }
    const auto endTime = ParseOleDateTime(*end);
    if (!endTime) throw UsageError("--end must read \"YYYY/MM/DD HH:MM:SS\" and be a real time, not '" + *end + "'");
    const int64_t milliseconds = CliArgs::ToInteger(*durationMs, "--duration-ms", 0, kMaxHistoryDurationSeconds * 1000);
    HistoryRow given;
    given.entry = *entry;
    given.end = *endTime;
    given.duration = static_cast<double>(milliseconds) / 1000.0 / kSecondsPerDay;
    given.sent = CliArgs::ToInteger(*sent, "--sent", 0, kMaxHistoryBytes);
    given.recv = CliArgs::ToInteger(*recv, "--recv", 0, kMaxHistoryBytes);
    // The rules an imported row meets too, so that every export imports again.
    if (const std::string problem = HistoryRowProblem(given, OleNow()); !problem.empty()) throw UsageError(problem);
    LiveConnection& live = session.Charge().Live();
    live.entryName = given.entry;
    live.endTime = given.end;
    live.durationMs = milliseconds;
    live.sent = given.sent;
    live.recv = given.recv;

    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    HistoryRow row;
    const int code = session.Charge().RecordConnection(false, &row);
    if (code != kDbOk) return session.FailHistory(code, "cannot record the connection");
    return context.Print(Json::MakeObject().Set("recorded", RowJson(row)));
}

int Import(CliContext& context, CChargeSession& session, CliArgs& args) {
    const std::string file = args.Require("FILE.csv");
    args.Finish();
    constexpr size_t kMaxCsvBytes = size_t{1} << 30;
    std::string text;
    if (!ReadWholeFile(file, kMaxCsvBytes, text)) return context.Fail(1, "read-failed", "cannot read " + file);
    const CsvImport parsed = ParseHistoryCsv(text);
    if (parsed.errorLine != 0) {
        return context.Fail(parsed.errorLine, "malformed-csv",
                            file + " line " + std::to_string(parsed.errorLine) + ": " + parsed.error +
                                "; nothing was imported");
    }
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    const int code = session.History().InsertRows(parsed.rows);
    if (code != kDbOk) return session.FailHistory(code, "nothing was imported");
    return context.Print(Json::MakeObject().Set("imported", static_cast<int64_t>(parsed.rows.size())));
}

int Clear(CliContext& context, CChargeSession& session, CliArgs& args) {
    args.Finish();
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    if (const int code = session.History().ClearHistory(); code != kDbOk) {
        return session.FailHistory(code, "cannot clear the history");
    }
    if (const int code = session.History().CompactHistory(); code != kDbOk) {
        return session.FailHistory(code, "the history was cleared but not compacted");
    }
    return context.Print(Json::MakeObject().Set("cleared", true));
}

int Run(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("history command (list, periods, totals, record, import or clear)");
    CChargeSession session(context);
    if (sub == "list") return List(context, session, args);
    if (sub == "periods") return Periods(context, session, args);
    if (sub == "totals") return Totals(context, session, args);
    if (sub == "record") return Record(context, session, args);
    if (sub == "import") return Import(context, session, args);
    if (sub == "clear") return Clear(context, session, args);
    throw UsageError("unknown history command '" + sub + "'");
}

}  // namespace

const CommandGroup& HistoryCommands() {
    static const CommandGroup group{"history", "list, total, record, import or clear the connection history", kHelp,
                                    Run};
    return group;
}

}  // namespace vr31k::cli

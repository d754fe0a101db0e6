// vr31kctl programs list | block | allow, and vr31kctl usage --programs
#include "accounting/BillingPeriod.h"
#include "accounting/ConnectionSnapshot.h"
#include "accounting/ProgramImport.h"
#include "cli/ChargeSession.h"
#include "cli/ProgramUsageOutput.h"
#include "common/FolderLock.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "mainwnd/ProgramViewRules.h"

#include <cstring>

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] programs list\n"
    "       vr31kctl [--json] [--data-dir DIR] programs block ID...\n"
    "       vr31kctl [--json] [--data-dir DIR] programs allow ID... | --all\n"
    "\n"
    "The programs kept off the card's link (none unless set): their traffic on that link\n"
    "only is dropped while it is up, and counted as blocked, not as used. A program is a\n"
    "service by its unit name (apt-daily-upgrade.service) or a desktop application by its\n"
    "desktop entry id (firefox.desktop).\n"
    "list   the services and applications seen on the link (in the history and the spool)\n"
    "       and those kept off, each with whether it is kept off.\n"
    "block  keeps the programs named off the link from its next packet on.\n"
    "allow  lets them on again; --all empties the list (also one that cannot be read).\n";

Json BlockedJson(const ProgramBlockList& list) {
    Json blocked = Json::MakeArray();
    for (const BlockedProgram& b : list.programs) {
        blocked.Push(Json::Shown(Json::MakeObject().Set("kind", ProgramKindName(b.kind)).Set("id", b.id), b.id));
    }
    return blocked;
}

std::optional<ProgramBlockList> ReadList(CliContext& context, std::string& problem) {
    return ReadProgramBlockList(context.Paths().folder, problem);
}

int FailList(CliContext& context, const std::string& problem) {
    return context.Fail(1, "bad-block-list", FormatString(ids::IDS_DOCTOR_BLOCK_BAD, {problem}));
}

int List(CliContext& context, CliArgs& args) {
    args.Finish();
    std::string problem;
    const std::optional<ProgramBlockList> list = ReadList(context, problem);
    if (!list) return FailList(context, problem);
    CChargeSession session(context);
    if (const int status = session.OpenHistory(); status != kExitOk) return status;
    std::vector<ProgramFigures> seen;
    session.History().GetSeenPrograms(seen);
    for (ProgramFigures& p : SpooledPrograms(context.Paths().folder)) seen.push_back(std::move(p));
    Json programs = Json::MakeArray();
    for (const BlockChoice& c : BlockChoices(seen, *list)) {
        // People read one line a program: "[x] name (id)".
        const std::string line =
            std::string(c.blocked ? "[x] " : "[ ] ") + ShownProgramName(c.name) + " (" + c.program.id + ")";
        programs.Push(Json::Shown(Json::MakeObject()
                                      .Set("kind", ProgramKindName(c.program.kind))
                                      .Set("id", c.program.id)
                                      .Set("name", c.name)
                                      .Set("blocked", c.blocked),
                                  line));
    }
    return context.Print(Json::MakeObject().Set("blocked", BlockedJson(*list)).Set("programs", std::move(programs)));
}

// block and allow: the list changed under the folder's lock, so two faces' changes both land.
int Change(CliContext& context, CliArgs& args, bool block) {
    const bool all = !block && args.Flag("--all");
    std::vector<BlockedProgram> named;
    while (auto id = args.Next()) {
        const ProgramKind kind = id->ends_with(".desktop") ? ProgramKind::App : ProgramKind::Unit;
        if (const std::string problem = BlockedProgramProblem(kind, *id); !problem.empty()) {
            throw UsageError("'" + ShownProgramName(*id) + "': " + problem);
        }
        named.push_back({kind, *id});
    }
    args.Finish();
    if (named.empty() == !all) throw UsageError(all ? "--all names no program" : "name at least one program");
    context.PrepareDataFolder();
    const FolderLock lock(context.Paths().folder);
    if (lock.TimedOut()) return context.Fail(1, "locked", lock.Problem());
    std::string problem;
    std::optional<ProgramBlockList> list = all ? ProgramBlockList{} : ReadList(context, problem);
    if (!list) return FailList(context, problem);
    for (const BlockedProgram& b : named) {
        std::erase(list->programs, b);
        if (block) list->programs.push_back(b);
    }
    if (list->programs.size() > kMaxBlockedPrograms) {
        return context.Fail(1, "too-many", "at most " + std::to_string(kMaxBlockedPrograms) + " programs are kept off");
    }
    if (const int error = WriteProgramBlockList(context.Paths().folder, *list); error != 0) {
        return context.Fail(error, "write-failed",
                            FormatString(ids::IDS_BLOCK_WRITE_FAILED_TEXT, {std::strerror(error)}));
    }
    return context.Print(Json::MakeObject().Set("blocked", BlockedJson(*list)));
}

int Run(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("programs command (list, block or allow)");
    if (sub == "list") return List(context, args);
    if (sub == "block") return Change(context, args, true);
    if (sub == "allow") return Change(context, args, false);
    throw UsageError("unknown programs command '" + sub + "'");
}

}  // namespace

int PrintProgramUsage(CliContext& context, CChargeSession& session, const std::optional<std::string>& period) {
    const std::string which = period.value_or(session.Charge().Period().period);
    PeriodPrograms figures;
    const int code = which.size() == 23 ? session.History().GetPeriodPrograms(std::string(PeriodStart(which)),
                                                                            std::string(PeriodEnd(which)), figures)
                                        : kDbBadArgument;
    if (code == kDbBadArgument) throw UsageError("--period must read \"YYYY/MM/DD - YYYY/MM/DD\", not '" + which + "'");
    if (code != kDbOk) return session.FailHistory(code, "cannot read the history");
    Json programs = Json::MakeArray();
    for (const ProgramFigures& p : figures.programs) {
        programs.Push(Json::MakeObject()
                          .Set("name", Json::Shown(p.name, ShownProgramName(p.name)))
                          .Set("kind", Json::Shown(ProgramKindName(p.kind), ProgramKindText(p.kind)))
                          .Set("id", p.id)
                          .Set("sent", p.sent)
                          .Set("recv", p.recv)
                          .Set("blocked_sent", p.blockedSent)
                          .Set("blocked_recv", p.blockedRecv)
                          .Set("charge_share", p.chargeShare ? ChargeJson(*p.chargeShare) : Json()));
    }
    const std::string missing = ProgramsMissingText(figures);
    // No rows: where people read it, the list itself says why.
    const bool none = figures.programs.empty() && !missing.empty();
    Json result = Json::MakeObject();
    result.Set("period", which)
        .Set("programs", none ? Json::Shown(std::move(programs), missing) : std::move(programs))
        .Set("connections", figures.connections)
        .Set("without_programs", figures.withoutPrograms)
        .Set("bytes_without", figures.bytesWithout)
        .Set("missing", missing.empty() || none ? Json::JsonOnly(missing.empty() ? Json() : Json(missing))
                                                : Json(missing))
        .Set("note", std::string(LoadString(ids::IDS_PROGRAM_NOTE)));
    return context.Print(result);
}

const CommandGroup& ProgramCommands() {
    static const CommandGroup group{"programs", "list the programs seen on the link; keep some off it", kHelp, Run};
    return group;
}

}  // namespace vr31k::cli

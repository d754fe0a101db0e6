#include "mainwnd/ProgramViewRules.h"

#include "accounting/ProgramImport.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "common/TerminalText.h"
#include "mainwnd/HistoryViewRules.h"

#include <algorithm>

namespace vr31k {

using namespace ids;

namespace {

// Long enough for any unit name or application's name; a cgroup's 4 KiB is cut.
constexpr size_t kShownNameChars = 120;

}  // namespace

const std::array<int, kProgramColumnCount> kProgramColumnTextIds = {
    IDS_PROGRAM_COL_NAME, IDS_PROGRAM_COL_KIND,    IDS_PROGRAM_COL_SENT,
    IDS_PROGRAM_COL_RECV, IDS_PROGRAM_COL_BLOCKED, IDS_PROGRAM_COL_CHARGE};

std::string ProgramKindText(ProgramKind kind) {
    switch (kind) {
    case ProgramKind::Unit: return std::string(LoadString(IDS_PROGRAM_KIND_UNIT));
    case ProgramKind::App: return std::string(LoadString(IDS_PROGRAM_KIND_APP));
    case ProgramKind::Scope: return std::string(LoadString(IDS_PROGRAM_KIND_SCOPE));
    case ProgramKind::Other: break;
    }
    return std::string(LoadString(IDS_PROGRAM_OTHER));
}

std::string ShownProgramName(std::string_view name) { return TerminalText(name, kShownNameChars); }

std::vector<ProgramRowView> ProgramRowViews(const PeriodPrograms& period) {
    std::vector<ProgramRowView> rows;
    for (const ProgramFigures& p : period.programs) {
        const int64_t blocked = p.blockedSent + p.blockedRecv;
        rows.push_back({{ShownProgramName(p.name), ProgramKindText(p.kind), FormatHistoryBytes(p.sent),
                         FormatHistoryBytes(p.recv), FormatHistoryBytes(blocked), FormatHistoryCharge(p.chargeShare)},
                        {0, 0, p.sent, p.recv, blocked, p.chargeShare.value_or(-1)}});
    }
    return rows;
}

std::string ProgramsMissingText(const PeriodPrograms& period) {
    if (period.withoutPrograms == 0) return {};
    if (period.programs.empty()) return std::string(LoadString(IDS_PROGRAM_PERIOD_NONE));
    return FormatString(IDS_PROGRAM_PERIOD_SOME, {std::to_string(period.withoutPrograms),
                                                  FormatHistoryBytes(period.bytesWithout)});
}

std::vector<std::string> TopProgramLines(const std::optional<ProgramUsageRecord>& programs, size_t count) {
    if (!programs) return {std::string(LoadString(IDS_PROGRAM_LINK_NONE))};
    std::vector<std::string> lines;
    for (const ProgramUsage& p : TopPrograms(programs->programs, count)) {
        lines.push_back(FormatString(IDS_PROGRAM_TOP_LINE, {ShownProgramName(p.name), FormatHistoryBytes(p.sent),
                                                            FormatHistoryBytes(p.recv)}));
    }
    lines.push_back(FormatString(IDS_PROGRAM_TOP_TIME,
                                 {FormatHistoryDateTime(OleFromTime(static_cast<time_t>(programs->updated)))}));
    return lines;
}

std::vector<BlockChoice> BlockChoices(const std::vector<ProgramFigures>& seen, const ProgramBlockList& list) {
    std::vector<BlockChoice> choices;
    for (const ProgramFigures& p : seen) {
        if (p.kind != ProgramKind::Unit && p.kind != ProgramKind::App) continue;
        if (!BlockedProgramProblem(p.kind, p.id).empty()) continue;  // not a name the list takes
        choices.push_back({{p.kind, p.id}, p.name, list.Blocks(p.kind, p.id)});
    }
    for (const BlockedProgram& b : list.programs) {
        const auto same = [&](const BlockChoice& c) { return c.program == b; };
        if (std::none_of(choices.begin(), choices.end(), same)) choices.push_back({b, b.id, true});
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const BlockChoice& a, const BlockChoice& b) { return a.name < b.name; });
    return choices;
}

ProgramBlockList BlockListOf(const std::vector<BlockChoice>& choices) {
    ProgramBlockList list;
    for (const BlockChoice& c : choices) {
        if (c.blocked) list.programs.push_back(c.program);
    }
    return list;
}

}  // namespace vr31k

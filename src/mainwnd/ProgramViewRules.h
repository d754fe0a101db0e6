#pragma once
// How the per-program views read, without the toolkit: the 「プログラム別」 page's rows and
// what it says of connections without per-program figures, the status dialog's top
// programs, and the choices of the page of programs kept off the card's link (which
// `vr31kctl programs` lists the same way). Names come from the machine and may hold any
// bytes: every view shows them through ShownProgramName.
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/ProgramBlockList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

enum ProgramColumn : int {
    kProgColName = 0,
    kProgColKind,
    kProgColSent,
    kProgColRecv,
    kProgColBlocked,
    kProgColCharge,
    kProgramColumnCount,
};

// The columns' headings' text ids.
extern const std::array<int, kProgramColumnCount> kProgramColumnTextIds;

// "サービス", "アプリケーション", ...
std::string ProgramKindText(ProgramKind kind);
// What a terminal or a text view would act on written out, cut to a line's length.
std::string ShownProgramName(std::string_view name);

// One row of the page: its cells, and for each column the number it sorts by (the
// name and kind columns sort by their text: 0).
struct ProgramRowView {
    std::array<std::string, kProgramColumnCount> cells;
    std::array<int64_t, kProgramColumnCount> keys{};
};
std::vector<ProgramRowView> ProgramRowViews(const PeriodPrograms& period);
// What the page says under the list of a period: that none or some of its connections
// have no per-program figures; empty when all have.
std::string ProgramsMissingText(const PeriodPrograms& period);

// The status dialog's lines for a running link: its `count` top programs with their
// bytes, then the time of the figures; or the one line saying it has none.
std::vector<std::string> TopProgramLines(const std::optional<ProgramUsageRecord>& programs, size_t count);

// A program that can be kept off the link (a service or an application), as the page
// and `vr31kctl programs list` offer it.
struct BlockChoice {
    BlockedProgram program;
    std::string name;  // as last seen; the id for one never seen
    bool blocked = false;
};
// The services and applications `seen` (and those of `list` never seen), by name.
std::vector<BlockChoice> BlockChoices(const std::vector<ProgramFigures>& seen, const ProgramBlockList& list);
// The list the choices make.
ProgramBlockList BlockListOf(const std::vector<BlockChoice>& choices);

}  // namespace vr31k

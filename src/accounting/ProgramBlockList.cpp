#include "accounting/ProgramBlockList.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"

#include <algorithm>

namespace vr31k {

namespace {

constexpr std::string_view kHeader = "vr31k-blocked-programs 1";

bool IdCharacters(std::string_view id, std::string_view extra) {
    return std::all_of(id.begin(), id.end(), [&](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               extra.find(c) != std::string_view::npos;
    });
}

}  // namespace

bool ProgramBlockList::Blocks(ProgramKind kind, std::string_view id) const {
    return std::any_of(programs.begin(), programs.end(),
                       [&](const BlockedProgram& p) { return p.kind == kind && p.id == id; });
}

std::string BlockedProgramProblem(ProgramKind kind, std::string_view id) {
    // systemd's unit name characters; a desktop entry id's (reverse-DNS names as D-Bus
    // names are written, and the usual dashed ones).
    const bool unit = kind == ProgramKind::Unit;
    const std::string_view suffix = unit ? ".service" : ".desktop";
    if (kind != ProgramKind::Unit && kind != ProgramKind::App) return "only a service or an application can be kept off";
    if (id.size() <= suffix.size() || id.size() > 255 || !id.ends_with(suffix)) {
        return "\"" + std::string(suffix) + "\" ends the name, of at most 255 characters";
    }
    if (!IdCharacters(id, unit ? ":-_.\\@" : "-_.") || id[0] == '.' || id[0] == '-') {
        return "the name holds characters no " + std::string(unit ? "unit" : "desktop entry") + " name has";
    }
    return {};
}

std::string FormatProgramBlockList(const ProgramBlockList& list) {
    std::string text(kHeader);
    text += "\n";
    for (const BlockedProgram& p : list.programs) text += std::string(ProgramKindName(p.kind)) + "=" + p.id + "\n";
    return text;
}

std::optional<ProgramBlockList> ParseProgramBlockList(std::string_view text, std::string& problem) {
    if (!text.starts_with(std::string(kHeader) + "\n")) {
        problem = "no \"" + std::string(kHeader) + "\" line: not a list of programs kept off";
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size() + 1);
    ProgramBlockList list;
    for (int line = 2; !text.empty(); ++line) {
        const size_t eol = text.find('\n');
        const std::string_view row = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        const size_t eq = row.find('=');
        const auto kind = ProgramKindFromName(row.substr(0, eq));
        BlockedProgram program{kind.value_or(ProgramKind::Other), std::string(row.substr(eq + 1))};
        std::string why = eol == std::string_view::npos ? "it is cut off"
                          : eq == std::string_view::npos ? "it is not \"unit=…\" or \"app=…\""
                                                         : BlockedProgramProblem(program.kind, program.id);
        if (why.empty() && list.Blocks(program.kind, program.id)) why = "it names a program twice";
        if (why.empty() && list.programs.size() == kMaxBlockedPrograms) why = "the list is longer than allowed";
        if (!why.empty()) {
            problem = "line " + std::to_string(line) + ": " + why;
            return std::nullopt;
        }
        list.programs.push_back(std::move(program));
    }
    return list;
}

std::optional<ProgramBlockList> ReadProgramBlockList(const std::string& dataFolder, std::string& problem) {
    std::string text;
    switch (ReadRegularFile(dataFolder + "/" + kProgramBlockListName, kMaxProgramBlockListBytes, text)) {
    case ReadResult::Ok: return ParseProgramBlockList(text, problem);
    case ReadResult::Missing: return ProgramBlockList{};
    case ReadResult::TooLarge: problem = "the list is larger than allowed"; break;
    case ReadResult::NotRegular:
    case ReadResult::Failed: problem = FileErrorText(errno); break;
    }
    return std::nullopt;
}

int WriteProgramBlockList(const std::string& dataFolder, const ProgramBlockList& list) {
    return WriteFileAtomically(dataFolder + "/" + kProgramBlockListName, FormatProgramBlockList(list),
                               SharedFileMode(dataFolder));
}

}  // namespace vr31k

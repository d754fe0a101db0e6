#include "accounting/ProgramUsageRecord.h"

#include "accounting/HistoryRowRules.h"
#include "accounting/UsageSpool.h"
#include "common/AtomicFileWriter.h"
#include "common/Utf8.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>

namespace vr31k {

namespace {

constexpr std::string_view kHeader = "vr31k-programs 1";
constexpr std::string_view kPrefix = "programs-";
constexpr std::string_view kSuffix = ".prog";
constexpr const char* kTemporaryBase = "prog";
constexpr const char* kKindNames[] = {"unit", "app", "scope", "other"};

std::optional<int64_t> Number(std::string_view text, int64_t max) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > max) {
        return std::nullopt;
    }
    return value;
}

// Printable ASCII without '=', a space or a line break: a device name, a boot id.
bool PlainText(std::string_view text) {
    return text.size() <= 255 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7f && c != '='; });
}

// A name as one line of text: a backslash, a control byte (line breaks and escape
// sequences among them), DEL and a byte that is not UTF-8 as \xNN; the rest as it is.
std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(text, i);
        if (byte >= 0x20 && byte != 0x7f && byte != '\\' && length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
        ++i;
    }
    return out;
}

// The inverse of Escaped, for its own output only: anything Escaped would have written
// otherwise (a raw control, a needless escape, upper-case hex) is refused.
std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (text.substr(i, 2) != "\\x" || i + 4 > text.size()) return std::nullopt;
        const auto [end, error] = std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16);
        if (error != std::errc() || end != text.data() + i + 4) return std::nullopt;
        out += static_cast<char>(value);
        i += 3;
    }
    if (Escaped(out) != text) return std::nullopt;
    return out;
}

std::string Cut(std::string_view text, size_t maxBytes) {
    size_t length = std::min(text.size(), maxBytes);
    // Not in the middle of a character.
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80) --length;
    return std::string(text.substr(0, length));
}

std::optional<ProgramUsage> ParseProgramLine(std::string_view value, std::string& problem) {
    // kind sent recv blocked-sent blocked-recv id<TAB>name
    ProgramUsage row;
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const size_t space = value.find(' ');
        if (space == std::string_view::npos) {
            problem = "a program line has too few fields";
            return std::nullopt;
        }
        fields[i] = value.substr(0, space);
        value.remove_prefix(space + 1);
    }
    const size_t tab = value.find('\t');
    const auto kind = ProgramKindFromName(fields[0]);
    const auto sent = Number(fields[1], kMaxHistoryBytes), recv = Number(fields[2], kMaxHistoryBytes);
    const auto blockedSent = Number(fields[3], kMaxHistoryBytes), blockedRecv = Number(fields[4], kMaxHistoryBytes);
    const auto id = Unescaped(value.substr(0, tab));
    const auto name = tab == std::string_view::npos ? std::nullopt : Unescaped(value.substr(tab + 1));
    if (!kind || !sent || !recv || !blockedSent || !blockedRecv) {
        problem = "a program line's kind or figures are not valid";
    } else if (!id || !name || id->size() > kMaxProgramIdBytes || name->size() > kMaxProgramNameBytes ||
               name->empty() || id->empty() != (*kind == ProgramKind::Other)) {
        problem = "a program line's id or name is not valid";
    } else {
        return ProgramUsage{*kind, *id, *name, *sent, *recv, *blockedSent, *blockedRecv};
    }
    return std::nullopt;
}

}  // namespace

const char* ProgramKindName(ProgramKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::optional<ProgramKind> ProgramKindFromName(std::string_view name) {
    for (int i = 0; i < 4; ++i) {
        if (name == kKindNames[i]) return static_cast<ProgramKind>(i);
    }
    return std::nullopt;
}

std::string ProgramRecordName(const std::string& boot, int64_t interfaceIndex) {
    return std::string(kPrefix) + boot + "-" + std::to_string(interfaceIndex) + std::string(kSuffix);
}

bool IsProgramRecordName(std::string_view name) {
    return name.starts_with(kPrefix) && name.ends_with(kSuffix);
}

std::string FormatProgramUsageRecord(const ProgramUsageRecord& r) {
    std::string text(kHeader);
    text += "\ninterface=" + r.interfaceName + "\ntty=" + r.tty + "\nboot=" + r.boot +
            "\nifindex=" + std::to_string(r.interfaceIndex) + "\nstart=" + std::to_string(r.start) +
            "\nupdated=" + std::to_string(r.updated) + "\nfinal=" + (r.final ? "1" : "0") + "\n";
    for (const ProgramUsage& p : r.programs) {
        text += "program=" + std::string(ProgramKindName(p.kind)) + " " + std::to_string(p.sent) + " " +
                std::to_string(p.recv) + " " + std::to_string(p.blockedSent) + " " + std::to_string(p.blockedRecv) +
                " " + Escaped(Cut(p.id, kMaxProgramIdBytes)) + "\t" + Escaped(Cut(p.name, kMaxProgramNameBytes)) +
                "\n";
    }
    return text;
}

std::optional<ProgramUsageRecord> ParseProgramUsageRecord(std::string_view text, std::string& problem) {
    if (!text.starts_with(std::string(kHeader) + "\n")) {
        problem = "no \"" + std::string(kHeader) + "\" line: not a per-program record";
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size() + 1);
    ProgramUsageRecord record;
    int64_t final = 0;
    struct Key {
        std::string_view name;
        std::string* text;
        int64_t* number;
        int64_t max;
        bool seen;
    } keys[] = {
        {"interface", &record.interfaceName, nullptr, 0, false},
        {"tty", &record.tty, nullptr, 0, false},
        {"boot", &record.boot, nullptr, 0, false},
        {"ifindex", nullptr, &record.interfaceIndex, std::numeric_limits<int32_t>::max(), false},
        {"start", nullptr, &record.start, int64_t{253402300799}, false},  // 9999-12-31
        {"updated", nullptr, &record.updated, int64_t{253402300799}, false},
        {"final", nullptr, &final, 1, false},
    };
    std::set<std::pair<ProgramKind, std::string>> seenPrograms;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        if (eol == std::string_view::npos) {
            problem = "the last line is cut off";
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        const size_t eq = line.find('=');
        const std::string_view name = line.substr(0, eq), value = line.substr(eq + 1);
        if (name == "program" && eq != std::string_view::npos) {
            auto row = ParseProgramLine(value, problem);
            if (!row) return std::nullopt;
            if (record.programs.size() == kMaxProgramRows || !seenPrograms.emplace(row->kind, row->id).second) {
                problem = "more programs than a record holds, or one twice";
                return std::nullopt;
            }
            record.programs.push_back(std::move(*row));
            continue;
        }
        Key* key = std::find_if(std::begin(keys), std::end(keys), [&](const Key& k) { return k.name == name; });
        if (eq == std::string_view::npos || key == std::end(keys) || key->seen) {
            problem = "line \"" + std::string(line.substr(0, 40)) + "\" is not a field of a record or comes twice";
            return std::nullopt;
        }
        key->seen = true;
        if (key->number == nullptr) {
            *key->text = std::string(value);
        } else if (const auto number = Number(value, key->max)) {
            *key->number = *number;
        } else {
            problem = std::string(name) + " is not a number in range";
            return std::nullopt;
        }
    }
    if (const Key* missing = std::find_if(std::begin(keys), std::end(keys), [](const Key& k) { return !k.seen; });
        missing != std::end(keys)) {
        problem = "no " + std::string(missing->name);
        return std::nullopt;
    }
    if (!PlainText(record.interfaceName) || (!record.tty.empty() && !PlainText(record.tty)) ||
        !PlainText(record.boot) || record.interfaceIndex == 0) {
        problem = "the interface, tty or link holds characters no device name has";
        return std::nullopt;
    }
    record.final = final != 0;
    return record;
}

std::optional<ProgramUsageRecord> ReadProgramUsageRecord(int spoolFd, const std::string& name, std::string& problem) {
    std::string text;
    if (!ReadSpoolText(spoolFd, name, kMaxProgramRecordBytes, text, problem)) return std::nullopt;
    return ParseProgramUsageRecord(text, problem);
}

int WriteProgramUsageRecord(int spoolFd, const ProgramUsageRecord& record, mode_t mode) {
    return WriteFileAt(spoolFd, ProgramRecordName(record.boot, record.interfaceIndex),
                       FormatProgramUsageRecord(record), mode, Overwrite::Replace, kTemporaryBase);
}

}  // namespace vr31k

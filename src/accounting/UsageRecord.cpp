#include "accounting/UsageRecord.h"

#include "accounting/HistoryRowRules.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vr31k {

namespace {

constexpr std::string_view kHeader = "vr31k-usage 1";
constexpr const char* kLiveSource = "live";
constexpr int64_t kMaxPid = 4194304;  // the kernel's highest pid_max

std::optional<int64_t> Number(std::string_view text, int64_t max) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > max) return std::nullopt;
    return value;
}

// Printable ASCII without '=' or a line break: what an interface or a tty is called.
bool PlainText(std::string_view text) {
    return text.size() <= 255 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7f && c != '='; });
}

}  // namespace

std::string FormatUsageRecord(const UsageRecord& r) {
    std::string text(kHeader);
    text += "\nsource=" + r.source + "\nentry=" + r.entry + "\ninterface=" + r.interfaceName + "\ntty=" + r.tty +
            "\nend=" + std::to_string(r.end) + "\nduration=" + std::to_string(r.durationSeconds) +
            "\nsent=" + std::to_string(r.sent) + "\nrecv=" + std::to_string(r.recv) + "\n";
    if (r.source == kLiveSource) {
        text += "owner=" + std::to_string(r.ownerPid) + "\nowner_start=" + std::to_string(r.ownerStart) +
                "\nboot=" + r.boot + "\nifindex=" + std::to_string(r.interfaceIndex) +
                "\nfinal=" + (r.final ? "1" : "0") + "\n";
    }
    return text;
}

std::optional<UsageRecord> ParseUsageRecord(std::string_view text, std::string& problem) {
    if (text.substr(0, kHeader.size() + 1) != std::string(kHeader) + "\n") {
        problem = "no \"" + std::string(kHeader) + "\" line: not a usage record";
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size() + 1);
    UsageRecord record;
    // Each key's field, and whether it was given.
    int64_t ownerPid = 0, ownerStart = 0, final = 0;
    struct Key {
        std::string_view name;
        std::string* text;
        int64_t* number;
        int64_t max;
        bool live;  // only in, and required in, a live record
        bool seen;
    } keys[] = {
        {"source", &record.source, nullptr, 0, false, false},
        {"entry", &record.entry, nullptr, 0, false, false},
        {"interface", &record.interfaceName, nullptr, 0, false, false},
        {"tty", &record.tty, nullptr, 0, false, false},
        {"end", nullptr, &record.end, int64_t{253402300799}, false, false},  // 9999-12-31
        {"duration", nullptr, &record.durationSeconds, kMaxHistoryDurationSeconds, false, false},
        {"sent", nullptr, &record.sent, kMaxHistoryBytes, false, false},
        {"recv", nullptr, &record.recv, kMaxHistoryBytes, false, false},
        {"owner", nullptr, &ownerPid, kMaxPid, true, false},
        {"owner_start", nullptr, &ownerStart, std::numeric_limits<int64_t>::max(), true, false},
        {"boot", &record.boot, nullptr, 0, true, false},
        {"ifindex", nullptr, &record.interfaceIndex, std::numeric_limits<int32_t>::max(), true, false},
        {"final", nullptr, &final, 1, true, false},
    };
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        if (eol == std::string_view::npos) {
            problem = "the last line is cut off";
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        const size_t eq = line.find('=');
        const std::string_view name = line.substr(0, eq);
        Key* key = std::find_if(std::begin(keys), std::end(keys), [&](const Key& k) { return k.name == name; });
        if (eq == std::string_view::npos || key == std::end(keys) || key->seen) {
            problem = "line \"" + std::string(line.substr(0, 40)) + "\" is not a field of a record or comes twice";
            return std::nullopt;
        }
        key->seen = true;
        const std::string_view value = line.substr(eq + 1);
        if (key->number != nullptr) {
            const auto number = Number(value, key->max);
            if (!number) {
                problem = std::string(name) + " is not a number in range";
                return std::nullopt;
            }
            *key->number = *number;
        } else {
            *key->text = std::string(value);
        }
    }
    const bool live = record.source == kLiveSource;
    for (const Key& k : keys) {
        if (k.seen != (!k.live || live)) {
            problem = (k.seen ? "a field of a live record in another: " : "no ") + std::string(k.name);
            return std::nullopt;
        }
    }
    record.ownerPid = static_cast<int>(ownerPid);
    record.ownerStart = static_cast<uint64_t>(ownerStart);
    record.final = final != 0;
    if (record.source != "pppd" && !live) {
        problem = "source \"" + record.source.substr(0, 40) + "\" is not known";
    } else if (const std::string why = HistoryEntryNameProblem(record.entry); !why.empty()) {
        problem = "entry: " + why;
    } else if ((!record.interfaceName.empty() && !PlainText(record.interfaceName)) ||
               (!record.tty.empty() && !PlainText(record.tty)) || (!record.boot.empty() && !PlainText(record.boot))) {
        problem = "the interface or tty holds characters no device name has";
    } else {
        return record;
    }
    return std::nullopt;
}

}  // namespace vr31k

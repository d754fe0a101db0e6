#include "mainwnd/DataChanges.h"

#include "common/DataFolder.h"

namespace vr31k {

namespace {

struct ChangeName {
    DataChange change;
    std::string_view name;
};
constexpr ChangeName kNames[] = {
    {kChangedPlan, "plan"},       {kChangedLimit, "limit"},     {kChangedUtility, "utility"},
    {kChangedEntries, "entries"}, {kChangedHistory, "history"}, {kChangedPort, "port"},
};

bool IsSeparator(char c) { return c == '|' || c == ',' || c == ' ' || c == '\t'; }

}  // namespace

std::string FormatDataChanges(DataChanges changes) {
    std::string text;
    for (const ChangeName& n : kNames) {
        if ((changes & n.change) == 0) continue;
        if (!text.empty()) text += '|';
        text += n.name;
    }
    return text;
}

std::optional<DataChanges> ParseDataChanges(std::string_view text) {
    DataChanges changes = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (IsSeparator(text[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::string_view word = text.substr(at, end - at);
        bool known = false;
        for (const ChangeName& n : kNames) {
            if (word != n.name) continue;
            changes |= n.change;
            known = true;
        }
        if (!known) return std::nullopt;
        at = end;
    }
    if (changes == 0) return std::nullopt;
    return changes;
}

DataChanges DataChangesOfFile(std::string_view name) {
    const std::string_view settings = kDataFileNames[0], history = kDataFileNames[1];
    if (name == settings) return kChangedSettings;
    if (name == kDataFileNames[2] || name == kDataFileNames[3]) return kChangedEntries;
    if (name == history) return kChangedHistory;
    // Another program's write to the history lands in its write-ahead log first. The
    // shared-memory index changes on every read, ours too: it names no change.
    if (name.starts_with(history) && name.substr(history.size()) != "-shm") {
        for (const char* suffix : kHistorySideSuffixes) {
            if (name.substr(history.size()) == suffix) return kChangedHistory;
        }
    }
    return 0;
}

}  // namespace vr31k

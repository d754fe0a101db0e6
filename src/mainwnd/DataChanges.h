#pragma once
// What another face or program changed in the shared data folder, as the running
// window re-reads it: named in the instance socket's `changed` notice, and derived from
// the names of the files a folder watch saw replaced or written.
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

enum DataChange : unsigned {
    kChangedPlan = 1u << 0,     // DUP_CONFIG: the price plan, the notice, the closing day
    kChangedLimit = 1u << 1,    // VR31K_LIMIT: the user's limit and its warnings
    kChangedUtility = 1u << 2,  // UTL_CONFIG: signal display and start options
    kChangedEntries = 1u << 3,  // the phonebook and the credential table
    kChangedHistory = 1u << 4,  // the history database (imports, clears, spooled links)
    kChangedPort = 1u << 5,     // PortName of the settings
};
using DataChanges = unsigned;
inline constexpr DataChanges kChangedSettings = kChangedPlan | kChangedLimit | kChangedUtility | kChangedPort;
inline constexpr DataChanges kChangedAll = kChangedSettings | kChangedEntries | kChangedHistory;

// "plan|limit": the names joined by '|', in a fixed order.
std::string FormatDataChanges(DataChanges changes);
// The names separated by '|', ',' or blanks; nothing when one is no name or none is given.
std::optional<DataChanges> ParseDataChanges(std::string_view text);
// What a file of the data folder named `name` holds (0: none of ours).
DataChanges DataChangesOfFile(std::string_view name);

}  // namespace vr31k

#pragma once
// The settings file "VR31KUTL.ini": the single definition of its three sections, their
// keys, defaults and write orders. Values live with their owners; this class only reads
// them at start-up and writes them back in whole sections.
#include "common/LimitSettings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vr31k {

// UTL_CONFIG, in the order the keys are read and written.
struct UtilitySettings {
    int32_t autoStart = 1;
    int32_t iconizedStart = 0;
    int32_t cardDtctRising = 1;
    int32_t antDispOneshot = 1;
    int32_t antDispOneshotTime = 10;
    int32_t solvaneMode = 0;  // read only, never written
    bool operator==(const UtilitySettings&) const = default;
};

// DUP_CONFIG: negative (and -1.0) means "not set".
struct DialupSettings {
    int32_t chargeType = -1;
    int32_t freePackets = -1;
    int32_t freeCall1 = -1;
    double packetCharge2 = -1.0;
    int32_t maxCharge2 = -1;
    int32_t packetSize = 128;
    int32_t noticeCharge = -1;
    int32_t noticeRatio = -1;
    int32_t chargeDay = 32;
    int32_t entryIndex = 0;
    bool operator==(const DialupSettings&) const = default;
};

// GUI_CONFIG: the history list window.
struct HistoryListSettings {
    int32_t cx = 0;
    int32_t cy = 0;
    int32_t maximized = 0;
    int32_t sortColumn = -1;
    int32_t sortMode = 0;
    bool operator==(const HistoryListSettings&) const = default;
};

inline constexpr const char* kUtilitySection = "UTL_CONFIG";
inline constexpr const char* kDialupSection = "DUP_CONFIG";
inline constexpr const char* kGuiSection = "GUI_CONFIG";
// Our own: how the card's link shows to the rest of the desktop while it is up.
inline constexpr const char* kDesktopSection = "VR31K_DESKTOP";

class SettingsStore {
public:
    explicit SettingsStore(std::string path);
    const std::string& Path() const { return m_path; }

    // Reading never creates the file; anything absent or unreadable reads as its default.
    // Why the file present cannot be read (too large, a link, unreadable), for a note;
    // empty when it reads, or is absent.
    std::string ReadProblem() const;
    UtilitySettings ReadUtility() const;
    std::string ReadPortName() const;
    DialupSettings ReadDialup() const;
    HistoryListSettings ReadHistoryList() const;

    // Each write replaces the file atomically, keeps whatever else it holds, and
    // returns 0 or an errno value (ELOOP for a link at the name, EFBIG for a file too
    // large to be ours, or one the change would make so: neither is replaced). Callers of the program ignore failures, as the
    // settings file has always been best effort.
    // The five user keys in order; the file is then left writable for every user
    // of the data folder (a read-only file becomes writable again).
    int WriteUtility(const UtilitySettings& settings) const;
    // All ten keys in order; the file is then left writable, as above.
    int WriteDialup(const DialupSettings& settings) const;
    // HistoryListCx/Cy only when `withSize`, then Mx, SortColumn, SortMode. The file's
    // mode is left alone; a file the user made read-only is not written.
    int WriteHistoryList(const HistoryListSettings& settings, bool withSize) const;
    // A change of some keys of a section by a program that holds no copy of its own:
    // the section as the file holds it now is handed to `change` under the folder's
    // lock and written back (all its keys, as above) when `change` returns true, so a
    // change made by another program in between is kept.
    int ChangeUtility(const std::function<bool(UtilitySettings&)>& change) const;
    int ChangeDialup(const std::function<bool(DialupSettings&)>& change) const;
    // A dialog's OK: only the keys the user changed from `opened` to `edited` are put
    // over what the file holds now, so a change another face made meanwhile is kept.
    // `edited` then holds the section as written.
    int ChangeEdited(const UtilitySettings& opened, UtilitySettings& edited) const;
    int ChangeEdited(const DialupSettings& opened, DialupSettings& edited) const;

    // VR31K_LIMIT: read like the others; changed like ChangeDialup (all its keys written).
    LimitSettings ReadLimit() const;
    int ChangeLimit(const std::function<bool(LimitSettings&)>& change) const;
    // Whether the file holds the section (the limit was ever set).
    bool HasLimitSection() const;

    // VR31K_DESKTOP's Metered: NetworkManager reports the card's link metered while it
    // is up (pppd's hook reads it as root). On unless the file says 0.
    bool ReadDesktopMetered() const;
    int ChangeDesktopMetered(bool on) const;
    bool HasDesktopSection() const;

private:
    std::string m_path;
};

}  // namespace vr31k

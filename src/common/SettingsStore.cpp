#include "common/SettingsStore.h"

#include "common/LimitSettings.h"
#include "common/PlanFields.h"

#include "common/IniFile.h"
#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"
#include "common/FolderLock.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <functional>
#include <optional>
#include <string_view>
#include <strings.h>

namespace vr31k {

namespace {

// Files larger than this are not settings files; reading them would only waste memory.
constexpr size_t kMaxSettingsBytes = 1 << 20;

IniFile Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, kMaxSettingsBytes, text)) return IniFile{};
    return IniFile::Parse(text);
}

int32_t ReadInt(const IniFile& ini, const char* section, const char* key, int32_t fallback) {
    const auto text = ini.Get(section, key);
    if (!text) return fallback;
    return ParseProfileInt(*text).value_or(fallback);
}

enum class ModeRule { MakeWritable, Keep };

// Read, change and replace the file under the folder's lock, held from the read to the
// rename: a writer of other keys in between would otherwise be lost.
int Update(const std::string& path, ModeRule rule, const std::function<bool(IniFile&)>& edit) {
    const FolderLock lock(ParentFolder(path));
    if (lock.TimedOut()) return kFolderLockTimedOut;
    const FileStatus status = StatFile(path);
    if (status.link) return ELOOP;
    if (status.exists && !status.regular) return kNotRegularFile;
    if (rule == ModeRule::Keep && status.exists && !status.writable) return EACCES;
    std::string text;
    switch (ReadRegularFile(path, kMaxSettingsBytes, text)) {
    case ReadResult::Ok:
    case ReadResult::Missing: break;
    // Replacing a file we cannot read would lose whatever else it holds.
    case ReadResult::TooLarge: return EFBIG;
    case ReadResult::NotRegular:
    case ReadResult::Failed: return errno != 0 ? errno : EIO;
    }
    IniFile ini = IniFile::Parse(text);
    if (!edit(ini)) return 0;
    const std::string folder = ParentFolder(path);
    const mode_t mode =
        (rule == ModeRule::Keep && status.exists) ? status.mode : SharedFileMode(folder);
    // A file the next read would refuse loses every setting: keep the one there is.
    const std::string written = ini.Serialize();
    if (written.size() > kMaxSettingsBytes) return EFBIG;
    return WriteFileAtomically(path, written, mode);
}

UtilitySettings UtilityFrom(const IniFile& ini) {
    UtilitySettings s;
    s.autoStart = ReadInt(ini, kUtilitySection, "AutoStart", s.autoStart);
    s.iconizedStart = ReadInt(ini, kUtilitySection, "IconizedStart", s.iconizedStart);
    s.cardDtctRising = ReadInt(ini, kUtilitySection, "CardDtctRising", s.cardDtctRising);
    s.antDispOneshot = ReadInt(ini, kUtilitySection, "AntDispOneshot", s.antDispOneshot);
    s.antDispOneshotTime = ReadInt(ini, kUtilitySection, "AntDispOneshotTime", s.antDispOneshotTime);
    s.solvaneMode = ReadInt(ini, kUtilitySection, "SolvaneMode", s.solvaneMode);
    return s;
}

// The five user keys in order.
void PutUtility(IniFile& ini, const UtilitySettings& s) {
    const auto put = [&](const char* key, int32_t v) { ini.Set(kUtilitySection, key, std::to_string(v)); };
    put("AutoStart", s.autoStart);
    put("IconizedStart", s.iconizedStart);
    put("CardDtctRising", s.cardDtctRising);
    put("AntDispOneshot", s.antDispOneshot);
    put("AntDispOneshotTime", s.antDispOneshotTime);
}

DialupSettings DialupFrom(const IniFile& ini) {
    DialupSettings s;
    s.chargeType = ReadInt(ini, kDialupSection, "ChargeType", s.chargeType);
    for (const PlanFieldRule& rule : kPlanFields) {
        if (rule.integer != nullptr) {
            s.*rule.integer = ReadInt(ini, kDialupSection, rule.key, s.*rule.integer);
        } else {
            const std::string price = ini.Get(kDialupSection, rule.key).value_or("-1.0");
            s.packetCharge2 = ParseProfileDouble(price).value_or(s.packetCharge2);
        }
    }
    s.chargeDay = ReadInt(ini, kDialupSection, "ChargeDay", s.chargeDay);
    s.entryIndex = ReadInt(ini, kDialupSection, "EntryIndex", s.entryIndex);
    return s;
}

// All ten keys in order.
void PutDialup(IniFile& ini, const DialupSettings& s) {
    const auto put = [&](const char* key, int32_t v) { ini.Set(kDialupSection, key, std::to_string(v)); };
    put("ChargeType", s.chargeType);
    for (const PlanFieldRule& rule : kPlanFields) {
        if (rule.integer != nullptr) put(rule.key, s.*rule.integer);
        else ini.Set(kDialupSection, rule.key, FormatProfileDouble(s.packetCharge2));
    }
    put("ChargeDay", s.chargeDay);
    put("EntryIndex", s.entryIndex);
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : m_path(std::move(path)) {}

std::string SettingsStore::ReadProblem() const {
    std::string text;
    switch (ReadRegularFile(m_path, kMaxSettingsBytes, text)) {
    case ReadResult::Ok:
    case ReadResult::Missing: return {};
    case ReadResult::TooLarge:
        return m_path + " is larger than " + std::to_string(kMaxSettingsBytes >> 20) +
               " MiB and is not read; every setting has its default";
    case ReadResult::NotRegular:
    case ReadResult::Failed: {
        const int error = errno;
        return "cannot read " + m_path + " (" + FileErrorText(error) + "); every setting has its default";
    }
    }
    return {};
}

std::string SettingsStore::ReadPortName() const {
    return Load(m_path).Get(kUtilitySection, "PortName").value_or(std::string());
}

HistoryListSettings SettingsStore::ReadHistoryList() const {
    const IniFile ini = Load(m_path);
    HistoryListSettings s;
    s.cx = ReadInt(ini, kGuiSection, "HistoryListCx", s.cx);
    s.cy = ReadInt(ini, kGuiSection, "HistoryListCy", s.cy);
    s.maximized = ReadInt(ini, kGuiSection, "HistoryListMx", s.maximized);
    s.sortColumn = ReadInt(ini, kGuiSection, "HistoryListSortColumn", s.sortColumn);
    s.sortMode = ReadInt(ini, kGuiSection, "HistoryListSortMode", s.sortMode);
    return s;
}

UtilitySettings SettingsStore::ReadUtility() const { return UtilityFrom(Load(m_path)); }

DialupSettings SettingsStore::ReadDialup() const { return DialupFrom(Load(m_path)); }

int SettingsStore::WriteUtility(const UtilitySettings& s) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        PutUtility(ini, s);
        return true;
    });
}

int SettingsStore::WriteDialup(const DialupSettings& s) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        PutDialup(ini, s);
        return true;
    });
}

int SettingsStore::ChangeUtility(const std::function<bool(UtilitySettings&)>& change) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        UtilitySettings s = UtilityFrom(ini);
        if (!change(s)) return false;
        PutUtility(ini, s);
        return true;
    });
}

int SettingsStore::ChangeDialup(const std::function<bool(DialupSettings&)>& change) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        DialupSettings s = DialupFrom(ini);
        if (!change(s)) return false;
        PutDialup(ini, s);
        return true;
    });
}

namespace {

template <typename Section, typename... Fields>
void PutEdits(const Section& opened, const Section& edited, Section& current, Fields... fields) {
    ((current.*fields = opened.*fields != edited.*fields ? edited.*fields : current.*fields), ...);
}

}  // namespace

int SettingsStore::ChangeEdited(const UtilitySettings& opened, UtilitySettings& edited) const {
    using U = UtilitySettings;
    return ChangeUtility([&](U& current) {
        PutEdits(opened, edited, current, &U::autoStart, &U::iconizedStart, &U::cardDtctRising, &U::antDispOneshot,
                 &U::antDispOneshotTime);
        edited = current;
        return true;
    });
}

int SettingsStore::ChangeEdited(const DialupSettings& opened, DialupSettings& edited) const {
    using D = DialupSettings;
    return ChangeDialup([&](D& current) {
        PutEdits(opened, edited, current, &D::chargeType, &D::freePackets, &D::freeCall1, &D::packetCharge2,
                 &D::maxCharge2, &D::packetSize, &D::noticeCharge, &D::noticeRatio, &D::chargeDay, &D::entryIndex);
        edited = current;
        return true;
    });
}

int SettingsStore::WriteHistoryList(const HistoryListSettings& s, bool withSize) const {
    return Update(m_path, ModeRule::Keep, [&](IniFile& ini) {
        const auto put = [&](const char* key, int32_t v) { ini.Set(kGuiSection, key, std::to_string(v)); };
        if (withSize) {
            put("HistoryListCx", s.cx);
            put("HistoryListCy", s.cy);
        }
        put("HistoryListMx", s.maximized);
        put("HistoryListSortColumn", s.sortColumn);
        put("HistoryListSortMode", s.sortMode);
        return true;
    });
}

namespace {

// The section is ours and written by us: a value is read when it is wholly a decimal
// number within its range (or the value that means "not set"); anything else, "1e9" and
// "12abc" included, counts as the default.
std::optional<int64_t> ReadLimitValue(const IniFile& ini, const LimitFieldRule& rule) {
    const auto text = ini.Get(kLimitSection, rule.key);
    if (!text) return std::nullopt;
    int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    if (value != rule.unset && (value < rule.minimum || value > rule.maximum)) return std::nullopt;
    return value;
}

LimitSettings LimitFrom(const IniFile& ini) {
    LimitSettings s;
    for (const LimitFieldRule& rule : kLimitFields) {
        if (const auto value = ReadLimitValue(ini, rule)) SetLimitFieldValue(s, rule.field, *value);
    }
    return s;
}

}  // namespace

LimitSettings SettingsStore::ReadLimit() const { return LimitFrom(Load(m_path)); }

namespace {

bool HasSectionNamed(const std::string& path, const char* section) {
    const auto sections = Load(path).Sections();
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& name) { return strcasecmp(name.c_str(), section) == 0; });
}

}  // namespace

bool SettingsStore::HasLimitSection() const { return HasSectionNamed(m_path, kLimitSection); }

bool SettingsStore::HasDesktopSection() const { return HasSectionNamed(m_path, kDesktopSection); }

bool SettingsStore::ReadDesktopMetered() const { return ReadInt(Load(m_path), kDesktopSection, "Metered", 1) != 0; }

int SettingsStore::ChangeDesktopMetered(bool on) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        ini.Set(kDesktopSection, "Metered", on ? "1" : "0");
        return true;
    });
}

int SettingsStore::ChangeLimit(const std::function<bool(LimitSettings&)>& change) const {
    return Update(m_path, ModeRule::MakeWritable, [&](IniFile& ini) {
        LimitSettings s = LimitFrom(ini);
        if (!change(s)) return false;
        for (const LimitFieldRule& rule : kLimitFields) {
            ini.Set(kLimitSection, rule.key, std::to_string(LimitFieldValue(s, rule.field)));
        }
        return true;
    });
}

}  // namespace vr31k

#include "platform/linux/PhonebookFile.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"
#include "platform/linux/CredentialSeal.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <ctime>

namespace vr31k {

namespace {

// Far above ten entries; a larger file is not ours.
constexpr size_t kMaxFileSize = 1u << 20;

constexpr const char* kDeviceType = "DeviceType";
constexpr const char* kDeviceName = "DeviceName";
constexpr const char* kPhoneNumber = "PhoneNumber";
constexpr const char* kOptions = "Options";
constexpr const char* kNetProtocols = "NetProtocols";
constexpr const char* kFraming = "Framing";
constexpr const char* kGuid = "Guid";
constexpr const char* kSubEntries = "SubEntries";
constexpr const char* kCredentials = "Credentials";

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

uint32_t ReadHex32(const std::optional<std::string>& text) {
    if (!text) return 0;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text->c_str(), &end, 0);
    if (errno != 0 || end == text->c_str() || value > 0xFFFFFFFFull) return 0;
    return static_cast<uint32_t>(value);
}

std::string FormatGuid(const std::array<uint8_t, 16>& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  g[0], g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9], g[10], g[11], g[12], g[13],
                  g[14], g[15]);
    return text;
}

std::array<uint8_t, 16> ParseGuid(const std::optional<std::string>& text) {
    std::array<uint8_t, 16> guid{};
    if (!text) return guid;
    size_t n = 0;
    int high = -1;
    for (char c : *text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else continue;
        if (n >= guid.size()) return {};
        if (high < 0) {
            high = digit;
        } else {
            guid[n++] = static_cast<uint8_t>(high << 4 | digit);
            high = -1;
        }
    }
    return n == guid.size() ? guid : std::array<uint8_t, 16>{};
}

std::array<uint8_t, 16> NewGuid() {
    std::array<uint8_t, 16> guid{};
    if (getrandom(guid.data(), guid.size(), 0) != static_cast<ssize_t>(guid.size())) {
        const auto now = static_cast<uint64_t>(time(nullptr));
        std::memcpy(guid.data(), &now, sizeof now);
    }
    guid[6] = static_cast<uint8_t>((guid[6] & 0x0F) | 0x40);  // version 4
    guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);
    return guid;
}

std::string SubKey(size_t index, const char* field) {
    return "Sub" + std::to_string(index + 1) + field;
}

bool HasControlOrEdgeBlank(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return !text.empty() && (text.front() == ' ' || text.back() == ' ');
}

}  // namespace

bool IsStorableEntryName(const std::string& name) {
    if (name.empty() || name.size() > kMaxEntryNameLength || HasControlOrEdgeBlank(name)) return false;
    return name.find_first_of("[]") == std::string::npos;
}

bool IsStorableValue(const std::string& value, size_t maxLength) {
    return value.size() <= maxLength && !HasControlOrEdgeBlank(value);
}

PhonebookFile::~PhonebookFile() = default;

int PhonebookFile::Load() {
    // Without the folder there is nothing to lock; Save reports the failure. A lock kept
    // by another program is waited on only for a while (FolderLock::LastProblem says so).
    if (!m_lock) m_lock.emplace(ParentFolder(m_path));
    if (m_lock->TimedOut()) return dialerr::kCannotLoadPhonebook;
    std::string text;
    switch (ReadRegularFile(m_path, kMaxFileSize, text)) {
    case ReadResult::Ok: break;
    case ReadResult::Missing:
        m_ini = IniFile::Parse("");
        return dialerr::kCannotOpenPhonebook;
    case ReadResult::TooLarge:
    case ReadResult::NotRegular:
    case ReadResult::Failed: return dialerr::kCannotLoadPhonebook;
    }
    m_ini = IniFile::Parse(text);
    return 0;
}

int PhonebookFile::Save() {
    if (m_lock && m_lock->TimedOut()) return dialerr::kCannotWritePhonebook;
    const int error = WriteFileAtomically(m_path, m_ini.Serialize(), SharedFileMode(ParentFolder(m_path)));
    return error == 0 ? 0 : dialerr::kCannotWritePhonebook;
}

bool PhonebookFile::Has(const std::string& name) const { return m_ini.HasSection(name); }

int PhonebookFile::Read(const std::string& name, EntryProperties& out) const {
    if (!Has(name)) return dialerr::kEntryNotFound;
    const auto get = [&](const char* key) { return m_ini.Get(name, key).value_or(""); };
    out = EntryProperties{};
    out.deviceType = get(kDeviceType);
    out.deviceName = get(kDeviceName);
    out.phoneNumber = get(kPhoneNumber);
    out.options = ReadHex32(m_ini.Get(name, kOptions));
    out.netProtocols = ReadHex32(m_ini.Get(name, kNetProtocols));
    out.framingProtocol = ReadHex32(m_ini.Get(name, kFraming));
    out.guid = ParseGuid(m_ini.Get(name, kGuid));
    const uint32_t subCount = std::min<uint32_t>(ReadHex32(m_ini.Get(name, kSubEntries)), 64);
    for (size_t i = 0; i < subCount; ++i) {
        out.subEntries.push_back({m_ini.Get(name, SubKey(i, kDeviceType)).value_or(""),
                                  m_ini.Get(name, SubKey(i, kDeviceName)).value_or(""),
                                  m_ini.Get(name, SubKey(i, kPhoneNumber)).value_or("")});
    }
    return 0;
}

void PhonebookFile::Write(const std::string& name, const EntryProperties& p) {
    std::array<uint8_t, 16> guid = ParseGuid(m_ini.Get(name, kGuid));
    if (guid == std::array<uint8_t, 16>{}) guid = NewGuid();
    const uint32_t oldSubCount = ReadHex32(m_ini.Get(name, kSubEntries));

    m_ini.Set(name, kDeviceType, p.deviceType);
    m_ini.Set(name, kDeviceName, p.deviceName);
    m_ini.Set(name, kPhoneNumber, p.phoneNumber);
    m_ini.Set(name, kOptions, Hex32(p.options));
    m_ini.Set(name, kNetProtocols, Hex32(p.netProtocols));
    m_ini.Set(name, kFraming, Hex32(p.framingProtocol));
    m_ini.Set(name, kGuid, FormatGuid(guid));
    m_ini.Set(name, kSubEntries, std::to_string(p.subEntries.size()));
    for (size_t i = 0; i < std::max<size_t>(oldSubCount, p.subEntries.size()); ++i) {
        const SubEntry blank;
        const SubEntry& sub = i < p.subEntries.size() ? p.subEntries[i] : blank;
        m_ini.Set(name, SubKey(i, kDeviceType), sub.deviceType);
        m_ini.Set(name, SubKey(i, kDeviceName), sub.deviceName);
        m_ini.Set(name, SubKey(i, kPhoneNumber), sub.phoneNumber);
    }
}

int PhonebookFile::ReadDialParams(const std::string& name, DialParams& out) const {
    if (!Has(name)) return dialerr::kEntryNotFound;
    out = DialParams{};
    out.entryName = name;
    const auto sealed = m_ini.Get(name, kCredentials);
    if (sealed && !sealed->empty()) {
        if (auto pair = OpenCredentials(*sealed)) {
            out.userName = std::move(pair->first);
            out.password = std::move(pair->second);
        }
    }
    return 0;
}

void PhonebookFile::WriteDialParams(const DialParams& params, bool removePassword) {
    m_ini.Set(params.entryName, kCredentials,
              SealCredentials(params.userName, removePassword ? std::string() : params.password));
}

void PhonebookFile::SetKey(const std::string& name, const std::string& key, const std::string& value) {
    m_ini.Set(name, key, value);
}

bool PhonebookFile::Rename(const std::string& oldName, const std::string& newName) {
    return m_ini.RenameSection(oldName, newName);
}

bool PhonebookFile::Remove(const std::string& name) {
    return m_ini.RemoveSection(name);
}

}  // namespace vr31k

// CWRasCtrl: the phonebook entries — names, creation, adaptation to the card's modem,
// numbers, saved credentials, listing.
#include "dialup/CWRasCtrl.h"

#include <strings.h>

#include <cstdio>

namespace vr31k {

namespace {

constexpr size_t kMaxEntryNameBytes = 100;
constexpr const char* kNameCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890.-";

std::string ContextDialString(int contextNumber) {
    char text[32];
    std::snprintf(text, sizeof text, "*99***%d#", contextNumber);
    return text;
}

}  // namespace

int CWRasCtrl::ValidateEntryName(const std::string& name, bool checkCharacters) {
    if (name.empty()) return RAS_ERR_EMPTY_NAME;
    const int service = m_service.ValidateEntryName(PhonebookPath(), name);
    if (service != 0 && service != dialerr::kCannotOpenPhonebook) return service;
    if (name.size() > kMaxEntryNameBytes) return RAS_ERR_NAME_TOO_LONG;
    if (checkCharacters) {
        if (name.find_first_not_of(kNameCharacters) != std::string::npos) return dialerr::kInvalidName;
        for (const char edge : {name.front(), name.back()}) {
            if (edge == '-' || edge == '.') return dialerr::kInvalidName;
        }
    }
    return 0;
}

int CWRasCtrl::CreateEntry(const std::string& name, const std::optional<std::string>& userName,
                           const std::optional<std::string>& password, const std::optional<std::string>& dialString,
                           EntryGuid* id) {
    int result = ValidateEntryName(name, true);
    if (result != 0 && result != dialerr::kAlreadyExists) return result;
    if (result == 0) {
        EntryProperties entry;
        entry.options = kEntryOptions;
        entry.deviceType = "modem";
        entry.deviceName = DeviceName();
        entry.netProtocols = kNetProtocolIp;
        entry.framingProtocol = kFramingPpp;
        if (const int written = m_service.SetEntryProperties(PhonebookPath(), name, entry); written != 0) return written;
        const DialParams params{name, "", userName.value_or(""), password.value_or("")};
        if (const int saved = m_service.SetEntryDialParams(PhonebookPath(), params, false); saved != 0) return saved;
        const int bindings = DisableNetBindings(name);
        SetEntryPhoneNumber(name, dialString.value_or(""));
        if (bindings != 0) return bindings;
    }
    if (id != nullptr) {
        EntryProperties back;
        if (const int read = m_service.GetEntryProperties(PhonebookPath(), name, back); read != 0) return read;
        *id = back.guid;
    }
    return result;
}

int CWRasCtrl::AdaptEntry(const std::string& name, int contextNumber, const std::optional<std::string>& deviceName,
                          EntryGuid* id) {
    const std::string device = deviceName.value_or(DeviceName());
    EntryProperties entry;
    if (const int read = m_service.GetEntryProperties(PhonebookPath(), name, entry); read != 0) return read;

    const size_t subEntries = entry.subEntries.size();
    if (subEntries > 0 && contextNumber > 0) {
        entry.phoneNumber = ContextDialString(contextNumber);
        for (const SubEntry& sub : entry.subEntries) {
            if (strncasecmp(sub.deviceName.c_str(), kCardModemName, std::char_traits<char>::length(kCardModemName)) == 0) {
                entry.phoneNumber = sub.phoneNumber;
                break;
            }
        }
    }

    bool recreated = false;
    DialParams saved;
    if (subEntries > 1) {
        if (const int read = m_service.GetEntryDialParams(PhonebookPath(), name, saved); read != 0) return read;
        if (const int deleted = m_service.DeleteEntry(PhonebookPath(), name); deleted != 0) return deleted;
        const int created = CreateEntry(name, saved.userName, saved.password, entry.phoneNumber, nullptr);
        if (created != 0) return created;
        recreated = true;
    }

    bool changed = false;
    if (device != entry.deviceName || subEntries > 1) {
        entry.deviceName = device;
        entry.subEntries.clear();  // one link, on the given device
        if (const int written = m_service.SetEntryProperties(PhonebookPath(), name, entry); written != 0) return written;
        changed = true;
    }

    if (recreated) {
        saved.entryName = name;
        m_service.SetEntryDialParams(PhonebookPath(), saved, false);
        if (id != nullptr) {
            EntryProperties back;
            if (m_service.GetEntryProperties(PhonebookPath(), name, back) == 0) *id = back.guid;
        }
    }
    return recreated ? RAS_ENTRY_RECREATED : changed ? RAS_ENTRY_DEVICE_CHANGED : 0;
}

int CWRasCtrl::SetEntryPhoneNumber(const std::string& name, const std::string& dialString) {
    EntryProperties entry;
    if (const int read = m_service.GetEntryProperties(PhonebookPath(), name, entry); read != 0) return read;
    if (entry.phoneNumber == dialString) return 0;
    entry.phoneNumber = dialString;
    return m_service.SetEntryProperties(PhonebookPath(), name, entry);
}

int CWRasCtrl::GetEntryPhoneNumber(const std::string& name, std::string& out) {
    out.clear();
    EntryProperties entry;
    if (const int read = m_service.GetEntryProperties(PhonebookPath(), name, entry); read != 0) return read;
    out = entry.phoneNumber;
    return 0;
}

int CWRasCtrl::SetEntryCredentials(const std::string& name, const std::string& userName, const std::string& password) {
    DialParams params;
    if (const int read = m_service.GetEntryDialParams(PhonebookPath(), name, params); read != 0) return read;
    params.entryName = name;
    params.userName = userName;
    params.password = password;
    return m_service.SetEntryDialParams(PhonebookPath(), params, false);
}

int CWRasCtrl::GetEntryCredentials(const std::string& name, std::string& userName, std::string& password,
                                   std::string& dialString) {
    const int exists = m_service.ValidateEntryName(PhonebookPath(), name);
    if (exists != dialerr::kAlreadyExists) return exists;
    DialParams params;
    if (const int read = m_service.GetEntryDialParams(PhonebookPath(), name, params); read != 0) return read;
    GetEntryPhoneNumber(name, dialString);
    userName = params.userName;
    password = params.password;
    return 0;
}

int CWRasCtrl::EnumEntries(std::vector<std::string>& out, std::vector<EntryGuid>* ids) {
    // A local phonebook file is complete when read: no waiting for entries to appear.
    std::vector<std::string> names;
    const int result = m_service.EnumEntries(PhonebookPath(), names);
    if (result != 0) return result;
    if (names.size() > kMaxListedEntries) names.resize(kMaxListedEntries);
    out = names;
    if (ids != nullptr) {
        ids->assign(names.size(), EntryGuid{});
        for (size_t i = 0; i < names.size(); ++i) {
            EntryProperties entry;
            if (m_service.GetEntryProperties(PhonebookPath(), names[i], entry) == 0) (*ids)[i] = entry.guid;
        }
    }
    return 0;
}

int CWRasCtrl::RenameEntry(const std::string& oldName, const std::string& newName) {
    return m_service.RenameEntry(PhonebookPath(), oldName, newName);
}

int CWRasCtrl::DeleteEntry(const std::string& name) {
    return m_service.DeleteEntry(PhonebookPath(), name);
}

int CWRasCtrl::DeleteAllEntries() {
    std::vector<std::string> names;
    m_service.EnumEntries(PhonebookPath(), names);
    if (names.size() > kMaxListedEntries) names.resize(kMaxListedEntries);
    for (const std::string& name : names) m_service.DeleteEntry(PhonebookPath(), name);
    return 0;
}

int CWRasCtrl::DisableNetBindings(const std::string& name) {
    for (const char* key : {"BindMsNetClient", "ms_msclient", "ms_server"}) {
        if (m_service.WriteEntryKey(PhonebookPath(), name, key, "0") != 0) return RAS_ERR_BINDINGS;
    }
    return 0;
}

}  // namespace vr31k

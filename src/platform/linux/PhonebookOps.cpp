#include "platform/linux/PhonebookOps.h"

#include "platform/linux/PhonebookFile.h"

#include <strings.h>

namespace vr31k {

int PhonebookValidateEntryName(const std::string& phonebook, const std::string& name) {
    if (!IsStorableEntryName(name)) return dialerr::kInvalidName;
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded != 0) return loaded;
    return file.Has(name) ? dialerr::kAlreadyExists : 0;
}

int PhonebookGetEntryProperties(const std::string& phonebook, const std::string& name, EntryProperties& out) {
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded == dialerr::kCannotOpenPhonebook) return dialerr::kEntryNotFound;
    if (loaded != 0) return loaded;
    return file.Read(name, out);
}

int PhonebookSetEntryProperties(const std::string& phonebook, const std::string& name, const EntryProperties& p) {
    if (!IsStorableEntryName(name)) return dialerr::kInvalidName;
    if (!IsStorableValue(p.deviceType, kMaxDeviceNameLength) ||
        !IsStorableValue(p.deviceName, kMaxDeviceNameLength) ||
        !IsStorableValue(p.phoneNumber, kMaxPhoneNumberLength)) {
        return dialerr::kInvalidSize;
    }
    for (const SubEntry& sub : p.subEntries) {
        if (!IsStorableValue(sub.deviceType, kMaxDeviceNameLength) ||
            !IsStorableValue(sub.deviceName, kMaxDeviceNameLength) ||
            !IsStorableValue(sub.phoneNumber, kMaxPhoneNumberLength)) {
            return dialerr::kInvalidSize;
        }
    }
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded != 0 && loaded != dialerr::kCannotOpenPhonebook) return loaded;
    file.Write(name, p);
    return file.Save();
}

int PhonebookGetEntryDialParams(const std::string& phonebook, const std::string& name, DialParams& out) {
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded == dialerr::kCannotOpenPhonebook) return dialerr::kEntryNotFound;
    if (loaded != 0) return loaded;
    return file.ReadDialParams(name, out);
}

int PhonebookSetEntryDialParams(const std::string& phonebook, const DialParams& params, bool removePassword) {
    if (params.userName.size() > kMaxEntryNameLength || params.password.size() > kMaxEntryNameLength) {
        return dialerr::kInvalidSize;
    }
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded == dialerr::kCannotOpenPhonebook) return dialerr::kEntryNotFound;
    if (loaded != 0) return loaded;
    if (!file.Has(params.entryName)) return dialerr::kEntryNotFound;
    file.WriteDialParams(params, removePassword);
    return file.Save();
}

int PhonebookEnumEntries(const std::string& phonebook, std::vector<std::string>& names) {
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    names.clear();
    if (loaded == dialerr::kCannotOpenPhonebook) return 0;
    if (loaded != 0) return loaded;
    names = file.Entries();
    return 0;
}

int PhonebookRenameEntry(const std::string& phonebook, const std::string& oldName, const std::string& newName) {
    if (!IsStorableEntryName(newName)) return dialerr::kInvalidName;
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded == dialerr::kCannotOpenPhonebook) return dialerr::kEntryNotFound;
    if (loaded != 0) return loaded;
    if (!file.Has(oldName)) return dialerr::kEntryNotFound;
    if (file.Has(newName) && strcasecmp(oldName.c_str(), newName.c_str()) != 0) return dialerr::kAlreadyExists;
    file.Rename(oldName, newName);
    return file.Save();
}

int PhonebookDeleteEntry(const std::string& phonebook, const std::string& name) {
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded == dialerr::kCannotOpenPhonebook) return dialerr::kEntryNotFound;
    if (loaded != 0) return loaded;
    if (!file.Remove(name)) return dialerr::kEntryNotFound;
    return file.Save();
}

int PhonebookWriteEntryKey(const std::string& phonebook, const std::string& name, const std::string& key,
                  const std::string& value) {
    if (!IsStorableValue(key, 64) || key.find_first_of("=[];#") != std::string::npos || key.empty() ||
        !IsStorableValue(value, 1024)) {
        return dialerr::kInvalidSize;
    }
    PhonebookFile file(phonebook);
    const int loaded = file.Load();
    if (loaded != 0 && loaded != dialerr::kCannotOpenPhonebook) return loaded;
    file.SetKey(name, key, value);
    return file.Save();
}

}  // namespace vr31k

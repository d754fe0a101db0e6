#include "accounting/CRasChargeCtrl.h"

#include "common/FileSystem.h"

#include <algorithm>
#include <cstdio>

namespace vr31k {

CRasChargeCtrl::CRasChargeCtrl(IDialupService& service) : CWRasCtrl(service) {}

int CRasChargeCtrl::Setup(const std::string& credentialPath, const std::string& phonebookPath,
                          const std::string& modemName, bool anyDevice) {
    m_modemName = modemName;
    m_anyDevice = anyDevice;
    const int result = CWRasCtrl::Setup(phonebookPath, modemName, anyDevice ? 1 : 0);
    m_credentials.SetPath(credentialPath);
    m_setupLoadResult = ReloadEntryStore();
    return result;
}

int CRasChargeCtrl::ReloadEntryStore() {
    const int loaded = LoadEntryStore();
    // A phonebook without a readable table (the credential file lost or damaged): its
    // entries would all look unknown and be deleted, and with them the last copy of
    // their credentials. The next listing takes them back into the table instead.
    m_recoverFromPhonebook = loaded != kCredentialOk && StatFile(PhonebookPath()).exists;
    return loaded;
}

int CRasChargeCtrl::BeginEntryChange(std::optional<FolderLock>& lock) {
    if (m_credentials.Path().empty()) return 0;
    lock.emplace(ParentFolder(m_credentials.Path()));
    if (lock->TimedOut()) return dialerr::kCannotLoadPhonebook;
    ReloadEntryStore();
    return 0;
}

int CRasChargeCtrl::SlotOf(const std::string& name) const {
    for (size_t slot = 0; slot < kCredentialSlots; ++slot) {
        if (m_credentials.Field(slot, CredentialField::EntryName) == name) return static_cast<int>(slot);
    }
    return -1;
}

int CRasChargeCtrl::DialEntry(const std::string& name, const std::optional<std::string>& userName,
                              const std::optional<std::string>& password,
                              const std::optional<std::string>& dialString, DialNotifier progress) {
    std::optional<std::string> user = userName;
    std::optional<std::string> secret = password;
    {
        std::optional<FolderLock> lock;
        if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    }
    if (const int slot = SlotOf(name); slot >= 0) {
        user = m_credentials.Field(slot, CredentialField::UserName);
        secret = m_credentials.Field(slot, CredentialField::Password);
    }
    const int result = Dial(name, user, secret, dialString, std::move(progress));
    // The live figures name the dialled entry from the start: what is asked before the
    // first tick (a connect's reply) reads them.
    if (result == 0) CopyLiveFigures();
    return result;
}

int CRasChargeCtrl::EnsurePhonebook() {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (StatFile(PhonebookPath()).exists) return 0;
    return AddEntry(0, kFactoryApn, kFactoryUser, kFactoryPassword, DialStringFor(1));
}

int CRasChargeCtrl::ListEntries(EntryList& out) {
    out = EntryList{};
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    std::vector<std::string> names;
    if (const int listed = EnumEntries(names, nullptr); listed != 0) return listed;
    const bool recover = m_recoverFromPhonebook;
    m_recoverFromPhonebook = false;
    bool changed = false;
    for (const std::string& name : names) {
        int slot = SlotOf(name);
        if (slot < 0 && recover) {
            slot = AdoptEntry(name);
            changed = changed || slot >= 0;
        }
        if (slot < 0 && (slot = RenamedSlot(name, names)) >= 0) {
            // A rename that ended between the phonebook and the table: the slot, with
            // its credentials, takes the new name.
            m_credentials.SetField(static_cast<size_t>(slot), CredentialField::EntryName, name);
            changed = true;
        }
        if (slot < 0) {
            // The phonebook never keeps entries the table does not know.
            DeleteEntry(name);
            continue;
        }
        out[slot] = name;
    }
    if (changed) SaveEntryStore();
    return 0;
}

int CRasChargeCtrl::DialPosition(const std::string& name) {
    std::string user, password, dial;
    if (GetEntryCredentials(name, user, password, dial) != 0) return -1;
    int position = 0;
    char end = 0;
    if (std::sscanf(dial.c_str(), "*99***%d%c", &position, &end) != 2 || end != '#' ||
        dial != DialStringFor(position) || position < 1 || position > static_cast<int>(kCredentialSlots)) {
        return -1;
    }
    return position - 1;
}

int CRasChargeCtrl::RenamedSlot(const std::string& name, const std::vector<std::string>& phonebook) {
    const int slot = DialPosition(name);
    if (slot < 0) return -1;
    const std::string old = m_credentials.Field(static_cast<size_t>(slot), CredentialField::EntryName);
    if (old.empty() || std::find(phonebook.begin(), phonebook.end(), old) != phonebook.end()) return -1;
    return slot;
}

int CRasChargeCtrl::AdoptEntry(const std::string& name) {
    const int slot = DialPosition(name);
    if (slot < 0 || !m_credentials.SlotEmpty(static_cast<size_t>(slot))) return -1;
    std::string user, password, dial;
    GetEntryCredentials(name, user, password, dial);
    FillSlot(slot, name, user, password);
    return slot;
}

int CRasChargeCtrl::AddEntry(int slot, const std::string& name, const std::string& user,
                             const std::string& password, const std::string& dialString) {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (slot < 0 || slot >= static_cast<int>(kCredentialSlots)) return RAS_ERR_NO_MEMORY;
    if (const int result = CreateEntry(name, user, password, dialString, nullptr); result != 0) return result;
    FillSlot(slot, name, user, password);
    return SaveEntryStore();
}

void CRasChargeCtrl::FillSlot(int slot, const std::string& name, const std::string& user,
                              const std::string& password) {
    const auto s = static_cast<size_t>(slot);
    m_credentials.ClearSlot(s);
    m_credentials.SetField(s, CredentialField::EntryName, name);
    m_credentials.SetField(s, CredentialField::UserName, user);
    m_credentials.SetField(s, CredentialField::Password, password);
}

int CRasChargeCtrl::UpdateEntryCredentials(const std::string& name, const std::string& user,
                                           const std::string& password) {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (const int result = SetEntryCredentials(name, user, password); result != 0) return result;
    const int slot = SlotOf(name);
    if (slot < 0) return 0;
    FillSlot(slot, name, user, password);
    return SaveEntryStore();
}

int CRasChargeCtrl::RenameStoredEntry(const std::string& oldName, const std::string& newName) {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (const int result = RenameEntry(oldName, newName); result != 0) return result;
    const int slot = SlotOf(oldName);
    if (slot < 0) return 0;
    m_credentials.SetField(static_cast<size_t>(slot), CredentialField::EntryName, newName);
    return SaveEntryStore();
}

int CRasChargeCtrl::RemoveEntry(const std::string& name) {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (const int result = DeleteEntry(name); result != 0) return result;
    const int slot = SlotOf(name);
    if (slot < 0) return 0;
    m_credentials.ClearSlot(static_cast<size_t>(slot));
    return SaveEntryStore();
}

int CRasChargeCtrl::ResetEntries() {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    DeleteAllEntries();
    m_credentials.ClearAll();
    return SaveEntryStore();
}

int CRasChargeCtrl::SetEntryPhoneNumber(const std::string& name, const std::string& dialString) {
    return CWRasCtrl::SetEntryPhoneNumber(name, dialString);
}

int CRasChargeCtrl::GetEntrySettings(const std::string& name, std::string& user, std::string& password,
                                     std::string& dialString) {
    std::optional<FolderLock> lock;
    if (const int locked = BeginEntryChange(lock); locked != 0) return locked;
    if (const int result = GetEntryCredentials(name, user, password, dialString); result != 0) return result;
    if (const int slot = SlotOf(name); slot >= 0) {
        user = m_credentials.Field(static_cast<size_t>(slot), CredentialField::UserName);
        password = m_credentials.Field(static_cast<size_t>(slot), CredentialField::Password);
    }
    return 0;
}

int CRasChargeCtrl::ValidateEntryName(const std::string& name, bool checkCharacters) {
    return CWRasCtrl::ValidateEntryName(name, checkCharacters);
}

void CRasChargeCtrl::CopyLiveFigures() {
    LiveConnection& live = Live();
    live.sent = static_cast<int64_t>(BytesSent());
    live.recv = static_cast<int64_t>(BytesReceived());
    live.durationMs = static_cast<int64_t>(DurationMs());
    live.entryName = EntryName();
    const RasEndTime end = EndTime();
    if (end.status == RasEndTime::Null) {
        live.endTime = OleDate::Null();
    } else if (end.status == RasEndTime::Invalid) {
        live.endTime = OleDate::Invalid();
    } else {
        std::tm local = end.local;
        live.endTime = MakeOleDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                   local.tm_min, local.tm_sec);
    }
}

int CRasChargeCtrl::UpdateStatistics() {
    const int result = SampleStatistics();
    if (result == 0) CopyLiveFigures();
    return result;
}

int CRasChargeCtrl::RecordFinishedConnection(bool stampNow, HistoryRow* recorded) {
    CopyLiveFigures();
    const int result = RecordConnection(stampNow, recorded);
    // The accounting's copy of the end time is null now; the monitor's must be too, or
    // the next tick copies it back and an adopted connection, which no Dial precedes,
    // ends when the one before it did.
    ClearEndTime();
    return result;
}

}  // namespace vr31k

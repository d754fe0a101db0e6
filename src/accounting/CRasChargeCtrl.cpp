#include "accounting/CRasChargeCtrl.h"

#include "accounting/ProgramImport.h"
#include "accounting/SpoolImport.h"

#include "common/FileOps.h"
#include "common/FileSystem.h"
#include "common/StringIds.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace vr31k {

CRasChargeCtrl::CRasChargeCtrl(IDialupService& service) : CWRasCtrl(service) {}

int CRasChargeCtrl::Setup(const std::string& credentialPath, const std::string& phonebookPath,
                          const std::string& modemName, bool anyDevice) {
    m_modemName = modemName;
    m_anyDevice = anyDevice;
    const int result = CWRasCtrl::Setup(phonebookPath, modemName, anyDevice ? 1 : 0);
    m_credentials.SetPath(credentialPath);
    std::optional<FolderLock> lock;
    if (BeginEntryChange(lock) != 0) ReloadEntryStore(false);
    m_setupLoadResult = m_lastLoadResult;
    return result;
}

int CRasChargeCtrl::ReloadEntryStore(bool locked) {
    const int loaded = m_lastLoadResult = LoadEntryStore();
    m_damagedInPlace = false;
    if (loaded == kCredentialInvalid) {
        // The damaged file is the only copy of whatever it still holds: it goes aside
        // before a table rebuilt from the phonebook is written in its place, and stays
        // where it is, unwritten, while that cannot be done under the folder's lock.
        std::string aside;
        if (locked && MoveUnreadableAside(m_credentials.Path(), aside) == 0) {
            m_keptAside = aside;
        } else {
            m_damagedInPlace = StatFile(m_credentials.Path()).exists;
        }
    }
    // A phonebook without a readable table (the credential file lost or damaged): its
    // entries are taken back into the table at the next listing, with the phonebook's
    // credentials.
    m_recoverFromPhonebook = loaded != kCredentialOk && StatFile(PhonebookPath()).exists;
    return loaded;
}

CRasChargeCtrl::FileNote CRasChargeCtrl::SetupNote() const {
    const std::string& path = m_credentials.Path();
    if (m_setupLoadResult != kCredentialInvalid) return {};
    if (!m_keptAside.empty()) {
        return {"the entry credential file " + path + " is damaged; it was kept as " + m_keptAside +
                    " and the entries are taken back from the phonebook, with the user names and passwords it holds",
                ids::IDS_CREDENTIALS_UNREADABLE_TEXT, {path, m_keptAside}};
    }
    return {"the entry credential file " + path +
                " is damaged and could not be moved aside; it is left as it is, and no entry can be changed until it "
                "is moved away",
            ids::IDS_CREDENTIALS_STUCK_TEXT, {path}};
}

int CRasChargeCtrl::SaveEntryStore() {
    if (m_damagedInPlace) return kCredentialNoFile;
    return m_credentials.Save();
}

int CRasChargeCtrl::BeginEntryChange(std::optional<FolderLock>& lock) {
    if (m_credentials.Path().empty()) return 0;
    lock.emplace(ParentFolder(m_credentials.Path()));
    if (lock->TimedOut()) return dialerr::kCannotLoadPhonebook;
    ReloadEntryStore(true);
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
    std::vector<std::string> unknown;
    for (const std::string& name : names) {
        int slot = SlotOf(name);
        if (slot < 0 && (slot = RenamedSlot(name, names)) >= 0) {
            // A rename that ended between the phonebook and the table: the slot, with
            // its credentials, takes the new name.
            m_credentials.SetField(static_cast<size_t>(slot), CredentialField::EntryName, name);
            changed = true;
        }
        if (slot < 0 && (slot = AdoptEntry(name, DialPosition(name))) >= 0) changed = true;
        if (slot < 0) {
            unknown.push_back(name);
            continue;
        }
        out[slot] = name;
    }
    // The table is rebuilt from the phonebook, never the other way round: an entry it
    // does not know (an add cut off before the table, a table lost or damaged) is never
    // deleted for that. Without a position of its own, a lost table gives it the first
    // free one; a table that reads keeps its other slots as they are.
    for (const std::string& name : unknown) {
        int slot = -1;
        for (size_t k = 0; recover && slot < 0 && k < kCredentialSlots; ++k) {
            if (m_credentials.SlotEmpty(k)) slot = AdoptEntry(name, static_cast<int>(k));
        }
        if (slot < 0) continue;
        out[slot] = name;
        changed = true;
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

int CRasChargeCtrl::AdoptEntry(const std::string& name, int slot) {
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
    if (result != 0) return result;
    CopyLiveFigures();
    // The ticks of a hang-up that follows the row start no record of their own.
    if (!m_spoolFolder.empty() && !LiveRecorded()) {
        const UsageRecord figures = LiveFigures(static_cast<int64_t>(std::time(nullptr)));
        // A link that outlived the program that watched it is counted whole from here:
        // the records its earlier keepers left go.
        if (!m_liveClaimed) ClaimLiveRecords(m_spoolFolder, figures);
        m_liveClaimed = true;
        m_liveRecord.Update(figures, figures.end);
    }
    return result;
}

void CRasChargeCtrl::KeepLiveRecord(const std::string& dataFolder, int ownerPid, uint64_t ownerStart,
                                    LinkIdentifier identify) {
    m_spoolFolder = dataFolder;
    m_identifyLink = std::move(identify);
    m_liveRecord.Configure(dataFolder, ownerPid, ownerStart);
}

UsageRecord CRasChargeCtrl::LiveFigures(int64_t end) const {
    const ConnectionInfo link = FoundConnection();
    UsageRecord figures;
    figures.entry = Live().entryName.empty() ? link.interfaceName : Live().entryName;
    figures.interfaceName = link.interfaceName;
    figures.tty = link.port;
    figures.end = end;
    figures.durationSeconds = Live().durationMs / 1000;
    figures.sent = Live().sent;
    figures.recv = Live().recv;
    if (m_identifyLink) {
        const LinkIdentity identity = m_identifyLink(figures.interfaceName);
        figures.boot = identity.boot;
        figures.interfaceIndex = identity.index;
    }
    return figures;
}

std::optional<ProgramUsageRecord> CRasChargeCtrl::RunningPrograms() const {
    const std::string interfaceName = FoundConnection().interfaceName;
    if (m_spoolFolder.empty() || !m_identifyLink || interfaceName.empty()) return std::nullopt;
    const LinkIdentity link = m_identifyLink(interfaceName);
    std::string problem;
    return RunningLinkPrograms(m_spoolFolder, link.boot, link.index, problem);
}

int CRasChargeCtrl::RecordFinishedConnection(bool stampNow, HistoryRow* recorded) {
    CopyLiveFigures();
    if (stampNow) Live().endTime = Now();
    // The live record takes the row's own figures first: a kill after the row is
    // written leaves a record the import finds in the history already.
    const std::optional<time_t> end = Live().endTime.IsValid() ? OleToTime(Live().endTime) : std::nullopt;
    const UsageRecord figures = LiveFigures(end.value_or(0));
    const bool kept = end && m_liveRecord.Finish(figures);
    HistoryRow row;
    const int result = RecordConnection(false, &row);
    if (recorded != nullptr && result != kRecordNotStamped) *recorded = row;
    // The link it was counted on, for its programs' figures that come after it.
    if (result == kDbOk) NoteLink(History(), row, figures, LastConnectionCharge());
    m_lastKept = false;
    if (result == kDbOk || result == kRecordNotStamped) {
        m_liveRecord.Drop();
    } else if (kept) {
        m_liveRecord.Keep();  // the row could not be written: the import takes it later
        m_lastKept = true;
    }
    m_liveClaimed = false;
    // The accounting's copy of the end time is null now; the monitor's must be too, or
    // the next tick copies it back and an adopted connection, which no Dial precedes,
    // ends when the one before it did.
    ClearEndTime();
    return result;
}

}  // namespace vr31k

#pragma once
// The charge controller the application owns for its whole life: the dial-up
// controller (phonebook, dial, monitor, live statistics), the usage accounting with the
// history database, and the entry credential table kept beside the phonebook. Every
// operation that changes an entry changes the phonebook first, then the table, and
// ends by saving the credential file; it runs under the data folder's lock with the
// table read afresh, so entry changes of two programs never undo each other. A change
// cut off between the phonebook and the table leaves the old entry (an added entry the
// table does not know is taken into it at the next listing, a removed one is no longer
// listed, new credentials count once the table has them), and a rename is finished by
// the next listing: the phonebook's entry takes the slot its dial string names when
// that slot's name is no longer in the phonebook.
#include "accounting/ChargeAccounting.h"
#include "accounting/EntryCredentialStore.h"
#include "accounting/LiveUsageRecord.h"
#include "accounting/UsageRecord.h"
#include "platform/LinkIdentity.h"
#include "common/FolderLock.h"
#include "dialup/CWRasCtrl.h"
#include "dialup/EntryPorts.h"

#include <optional>
#include <string>
#include <vector>

namespace vr31k {

class CRasChargeCtrl : public CWRasCtrl, public ChargeAccounting, public IEntryBook {
public:
    explicit CRasChargeCtrl(IDialupService& service);

    // The dial-up controller's set-up, then the credential table is loaded (its
    // result is not a reason to stop: a missing or invalid file leaves every slot
    // empty). Returns the dial-up set-up's result.
    int Setup(const std::string& credentialPath, const std::string& phonebookPath, const std::string& modemName,
              bool anyDevice);
    // What Setup's load gave (0, 951 no file, 952 not a credential table), for reports.
    int SetupLoadResult() const { return m_setupLoadResult; }
    // Where a damaged credential file was moved to (empty while none was): beside it,
    // under a name of its own, before anything was written in its place.
    const std::string& CredentialsKeptAside() const { return m_keptAside; }
    // What start-up tells about the file Setup read, on stderr (`line`) and in a box
    // (`textId` with `args`): nothing (textId 0), a damaged file kept aside, or one that
    // could not be moved aside and is left unwritten.
    struct FileNote {
        std::string line;
        int textId = 0;
        std::vector<std::string> args;
    };
    FileNote SetupNote() const;
    int LoadEntryStore() { return m_credentials.Load(); }
    // LoadEntryStore, and a listing that takes the phonebook's entries back when the
    // table could not be read. `locked`: under the folder's lock, where a damaged file
    // is moved aside; elsewhere it is only left unwritten.
    int ReloadEntryStore(bool locked);
    // 951 without writing while a damaged file could not be moved aside.
    int SaveEntryStore();
    EntryCredentialStore& Credentials() { return m_credentials; }
    const EntryCredentialStore& Credentials() const { return m_credentials; }
    const std::string& ModemName() const { return m_modemName; }
    bool AnyDevice() const { return m_anyDevice; }

    // Dials with the credentials of the slot that names the entry, when one does.
    int DialEntry(const std::string& name, const std::optional<std::string>& userName,
                  const std::optional<std::string>& password, const std::optional<std::string>& dialString,
                  DialNotifier progress);
    // IEntryBook: the ten-slot view and the changes that keep phonebook and table in step.
    int EnsurePhonebook() override;
    int ListEntries(EntryList& out) override;
    int AddEntry(int slot, const std::string& name, const std::string& user, const std::string& password,
                 const std::string& dialString) override;
    int RemoveEntry(const std::string& name) override;
    int ResetEntries() override;
    int UpdateEntryCredentials(const std::string& name, const std::string& user,
                               const std::string& password) override;
    int RenameStoredEntry(const std::string& oldName, const std::string& newName) override;
    int SetEntryPhoneNumber(const std::string& name, const std::string& dialString) override;
    int GetEntrySettings(const std::string& name, std::string& user, std::string& password,
                         std::string& dialString) override;
    int ValidateEntryName(const std::string& name, bool checkCharacters) override;
    void SetEntryIndex(int index) override { Plan().entryIndex = index; }

    // Where the dial-up half meets the accounting: the connection tick samples the
    // counters and hands them to the accounting; the end of a connection records it.
    int UpdateStatistics();
    // Records the connection the monitor last saw; `stampNow` for an end that is now
    // (the user hung up), else the end the monitor stamped at line loss. Leaves the end
    // time null on both sides.
    int RecordFinishedConnection(bool stampNow, HistoryRow* recorded = nullptr);
    // The last connection RecordFinishedConnection could not write is kept in the spool
    // for the next import: counted all the same.
    bool LastKeptForImport() const { return m_lastKept; }
    // Keeps the live connection's figures in the spool of `dataFolder` on every tick,
    // so a kill or a power cut loses at most one save's worth (LiveUsageRecord.h); a
    // link is told apart from another of the same name by `identify`.
    void KeepLiveRecord(const std::string& dataFolder, int ownerPid, uint64_t ownerStart, LinkIdentifier identify);
    const LiveUsageRecord& LiveRecord() const { return m_liveRecord; }
    // The programs of the link up now, as its reader last wrote them into the spool;
    // none while no link is up or its programs are not counted.
    std::optional<ProgramUsageRecord> RunningPrograms() const;

private:
    // The slot that names `name` (exact, first match), or -1.
    int SlotOf(const std::string& name) const;
    void FillSlot(int slot, const std::string& name, const std::string& user, const std::string& password);
    // Takes the data folder's lock into `lock` and reads the table afresh; 622 when the
    // lock stayed taken (FolderLock::LastProblem says so).
    int BeginEntryChange(std::optional<FolderLock>& lock);
    // The slot an entry's dial string "*99***N#" names, or -1.
    int DialPosition(const std::string& name);
    // A phonebook entry taken into `slot` when that slot is free, with the phonebook's
    // credentials; the slot, or -1.
    int AdoptEntry(const std::string& name, int slot);
    // The slot of a rename cut off after the phonebook: the one the entry's dial string
    // names, whose table name is no longer in the phonebook; or -1.
    int RenamedSlot(const std::string& name, const std::vector<std::string>& phonebook);
    void CopyLiveFigures();
    // The live connection as a spool record ending at `end` (Unix seconds).
    UsageRecord LiveFigures(int64_t end) const;

    EntryCredentialStore m_credentials;
    std::string m_modemName;
    bool m_anyDevice = false;
    int m_setupLoadResult = kCredentialNoFile;
    int m_lastLoadResult = kCredentialNoFile;
    bool m_recoverFromPhonebook = false;
    LiveUsageRecord m_liveRecord;
    LinkIdentifier m_identifyLink;
    std::string m_spoolFolder;
    bool m_liveClaimed = false;
    bool m_lastKept = false;  // this connection's link was claimed from dead keepers
    bool m_damagedInPlace = false;
    std::string m_keptAside;
};

}  // namespace vr31k

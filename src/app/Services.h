#pragma once
// The services the window and vr31kctl build the same way: the platform's dial-up
// service (pppd, or the simulated link), and over it the dial-up and charge controller
// with its plan, its entry files and the history database.
#include "accounting/CRasChargeCtrl.h"
#include "accounting/SpoolImport.h"
#include "common/DataFolder.h"
#include "common/SettingsStore.h"

#include <chrono>
#include <memory>
#include <string>

namespace vr31k {

class Services {
public:
    // The dial-up service as the environment chooses it (VR31K_DIAL_LINK and friends).
    Services();
    explicit Services(std::unique_ptr<IDialupService> dialup);
    ~Services();
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    IDialupService& Dialup() { return *m_dialup; }
    CRasChargeCtrl& Charge() { return *m_charge; }
    CDbHistoryCtrl& History() { return m_charge->History(); }

    // DUP_CONFIG and the plan derived from it.
    void LoadPlan(const SettingsStore& settings);
    // The phonebook and credential table of the data folder (created when missing).
    // False when the credential file failed validation (Charge().SetupNote() tells
    // what became of it).
    bool SetupEntries(const DataPaths& paths, bool solvaneMode);
    // Opens (or creates) the history, waiting at most `lockWait` for the folder's lock,
    // and imports the spool; a kDb* code. History().MovedAsidePath() names a file that
    // could not be read and was kept aside, History().LockBusy() a lock that stayed taken.
    // The live record of this program's connections is kept from the first call on,
    // whatever its result.
    int OpenHistory(const DataPaths& paths, std::chrono::milliseconds lockWait = FolderLock::kDefaultWait);
    // What the last OpenHistory imported from the spool of links that ended unrecorded.
    const SpoolImport& SpoolImported() const { return m_spoolImport; }
    // Tells the dial-up service which tty is the card and looks the card's modem up.
    int UseCardPort(const std::string& port, int solvaneMode);

private:
    std::unique_ptr<IDialupService> m_dialup;  // before m_charge, which works through it
    std::unique_ptr<CRasChargeCtrl> m_charge;
    SpoolImport m_spoolImport;
    bool m_liveKept = false;
};

}  // namespace vr31k

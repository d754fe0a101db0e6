#pragma once
// The services the window and vr31kctl build the same way: the platform's dial-up
// service (pppd, or the simulated link), and over it the dial-up and charge controller
// with its plan, its entry files and the history database; and the card lookup. One
// start sets them up for every face, which tells what it found in its own way.
#include "accounting/CRasChargeCtrl.h"
#include "accounting/SpoolImport.h"
#include "app/CardPort.h"
#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "platform/LinkPath.h"

#include <chrono>
#include <memory>
#include <string>

namespace vr31k {

// What an open of the history found.
struct HistoryOpen {
    int result = kDbNotOpen;  // a kDb* code
    std::string movedAside;   // a file that could not be read, kept aside under this name
    bool lockBusy = false;    // the folder's lock stayed taken: another program holds it
    std::string error;        // the history's own words for a failure
    SpoolImport spool;        // the spool's records taken in (after an open that succeeded)
    bool Ok() const { return result == kDbOk; }
};

// What a start is given besides the settings.
struct ServicesStart {
    DataPaths paths;
    int solvaneMode = 0;
    std::string port;  // this run's own port, used as it is; empty: PortName or the lookup
    bool openHistory = true;  // false: tests that record nothing leave the history shut
};

// What the start found, for the face to tell.
struct StartFindings {
    int entriesSetup = 0;                // the dial-up set-up's result
    CRasChargeCtrl::FileNote entries;    // the credential file (textId 0: nothing to tell)
    HistoryOpen history;
    CardPortChoice port;
};

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
    // The card's lookup (the start's, and the window's when a card arrives or is
    // released); a test puts one of its own in, which must outlive the window.
    ICardLookup& CardLookup() { return *m_lookup; }
    void UseCardLookup(ICardLookup& lookup) { m_lookup = &lookup; }
    // What carries the card's link's traffic and names while it is up: the machine's
    // for the service the environment chooses, none for a service given (a test gives
    // its own).
    const LinkPathProbe& LinkPath() const { return m_linkPath; }
    void UseLinkPath(LinkPathProbe probe) { m_linkPath = std::move(probe); }

    // The start, in the one order every face uses: the plan, the entries, the history
    // with the spool's import, the current period, then the card's port (given, else
    // PortName when trusted, else looked up), told to the dial-up service. A failure
    // stops nothing here; the face decides.
    StartFindings Start(const SettingsStore& settings, const ServicesStart& start);

    // DUP_CONFIG and the plan derived from it.
    void LoadPlan(const SettingsStore& settings);
    // The phonebook and credential table of the data folder (created when missing).
    // The dial-up set-up's result (Charge().SetupNote() tells what became of a
    // credential file that failed validation).
    int SetupEntries(const DataPaths& paths, bool solvaneMode);
    // Opens (or creates) the history, waiting at most `lockWait` for the folder's lock,
    // and imports the spool of links that ended unrecorded. The live record of this
    // program's connections is kept from the first call on, whatever its result.
    HistoryOpen OpenHistory(const DataPaths& paths, std::chrono::milliseconds lockWait = FolderLock::DefaultWait());
    // Imports the spool's per-program records of links that have ended into the open
    // history (ProgramImport.h); OpenHistory does, and a view of them before it shows.
    SpoolImport ImportPrograms(const DataPaths& paths);
    // Tells the dial-up service which tty is the card and looks the card's modem up.
    int UseCardPort(const std::string& port, int solvaneMode);

private:
    std::unique_ptr<IDialupService> m_dialup;  // before m_charge, which works through it
    std::unique_ptr<CRasChargeCtrl> m_charge;
    ICardLookup* m_lookup = &MachineCardLookup();
    LinkPathProbe m_linkPath;
    bool m_liveKept = false;
};

}  // namespace vr31k

#pragma once
// What the plan, usage, history, entries and connect commands share: the charge
// controller set up as start-up sets it up, from the settings, the entry files and the
// history of the data folder.
#include "accounting/RasChargeCtrl.h"
#include "cli/CliCommand.h"

#include <memory>

namespace vr31k::cli {

class CChargeSession {
public:
    // Reads DUP_CONFIG and derives the plan.
    explicit CChargeSession(CliContext& context);
    ~CChargeSession();

    // The dial-up set-up: phonebook and credential table of the data folder (created
    // when missing). A credential file that fails validation is reported on stderr.
    void SetupEntries();
    // Writes DUP_CONFIG back from the controller, as the settings sheet does when it
    // closes; 0 or an errno value.
    int WriteDialupSettings();

    // Opens the history (creating the data folder and the file when missing) and
    // recomputes the current period. A file that had to be moved aside is reported on
    // stderr. Returns kExitOk, or the failure already printed.
    int OpenHistory();

    CRasChargeCtrl& Charge() { return *m_charge; }
    CDbHistoryCtrl& History() { return m_charge->History(); }
    // Prints a history failure; returns kExitFailed.
    int FailHistory(int code, std::string_view what);

private:
    CliContext& m_context;
    std::unique_ptr<IDialupService> m_dialup;  // before m_charge, which works through it
    std::unique_ptr<CRasChargeCtrl> m_charge;
};

}  // namespace vr31k::cli

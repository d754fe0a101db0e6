#pragma once
// What the plan, usage and history commands share: the charge controller's accounting
// set up as start-up sets it up, from the settings and the history of the data folder.
#include "accounting/ChargeAccounting.h"
#include "cli/CliCommand.h"

namespace vr31k::cli {

class CAccountingSession {
public:
    // Reads DUP_CONFIG and derives the plan.
    explicit CAccountingSession(CliContext& context);

    // Opens the history (creating the data folder and the file when missing) and
    // recomputes the current period. A file that had to be moved aside is reported on
    // stderr. Returns kExitOk, or the failure already printed.
    int OpenHistory();

    CChargeAccounting& Charge() { return m_charge; }
    CDbHistoryCtrl& History() { return m_charge.History(); }
    // Prints a history failure; returns kExitFailed.
    int FailHistory(int code, std::string_view what);

private:
    CliContext& m_context;
    CChargeAccounting m_charge;
};

}  // namespace vr31k::cli

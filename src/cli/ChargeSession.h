#pragma once
// What the plan, usage, history, entries and connect commands share: the services as
// start-up builds them, with their failures told on the command line.
#include "app/Services.h"
#include "cli/CliCommand.h"


namespace vr31k::cli {

class CChargeSession {
public:
    // Reads DUP_CONFIG and derives the plan.
    explicit CChargeSession(CliContext& context);

    // The dial-up set-up: phonebook and credential table of the data folder (created
    // when missing). A credential file that fails validation is reported on stderr.
    void SetupEntries();
    // Writes the controller's entry selection (EntryIndex) into DUP_CONFIG, the section
    // written whole as the settings sheet does, its other keys as the file holds them
    // now; 0 or an errno value.
    int WriteDialupSettings();

    // Opens the history (creating the data folder and the file when missing) and
    // recomputes the current period. A file that had to be moved aside is reported on
    // stderr. Returns kExitOk, or the failure already printed.
    int OpenHistory();
    // The services' start, as the window makes it: plan, entries, history with the
    // spool, period, the card's `port` (--port, else PortName when trusted, else looked
    // up; empty: no card); what it found told on stderr. Returns kExitOk, or the
    // history's failure already printed.
    int Start(std::string& port);

    CRasChargeCtrl& Charge() { return m_services.Charge(); }
    CDbHistoryCtrl& History() { return m_services.History(); }
    Services& Shared() { return m_services; }
    // Prints a history failure; returns kExitFailed.
    int FailHistory(int code, std::string_view what);

private:
    // What the history's open found, on stderr; kExitOk or the failure printed.
    int TellHistory(const HistoryOpen& opened);

    CliContext& m_context;
    Services m_services;
};

}  // namespace vr31k::cli

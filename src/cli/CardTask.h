#pragma once
// What every command that talks to the card shares: the port it uses, the card
// controller, the command line's face of the card dialogs, and the card check.
#include "app/CardPort.h"
#include "card/CardCheck.h"
#include "cli/CliCardUi.h"
#include "cli/CliCommand.h"

namespace vr31k::cli {

int SolvaneMode(CliContext& context);
// --port, else PortName of the settings when this user may trust it (CheckPortName;
// else a note on stderr), else the card lookup (empty: no card).
std::string ResolvePort(CliContext& context);
// The note on stderr when PortName of the settings was not trusted.
void TellPortChoice(CliContext& context, const CardPortChoice& choice);
// Takes the card check's prompt answers (--pin, --puk/--new-pin) from the options.
void TakeCodeOptions(CliArgs& args, CCliCardUi& ui);

// One card task: opened for the task and closed when it ends.
struct CardTask {
    explicit CardTask(CliContext& context);
    ~CardTask() { card.ClosePort(); }
    CardTask(const CardTask&) = delete;
    CardTask& operator=(const CardTask&) = delete;

    // The main window's card check; with no port known it is "no card".
    bool Check() { return !port.empty() && check.Run(port, status); }
    // Who holds the port, when the check failed because it could not be opened; "" else.
    std::string BusyPortCause() const;
    // The failure of a command that needs nothing but the check.
    int FailCheck(CliContext& context);

    CWKvCtrl card;
    CCliCardUi ui;
    std::string port;
    CardStatus status;
    CardCheck check;
};

}  // namespace vr31k::cli

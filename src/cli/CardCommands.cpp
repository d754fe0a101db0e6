// vr31kctl card find | port | check | info | pin-lock | change-pin | signal | contexts | eject
// Each command opens the card's port for its one task and closes it afterwards.
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "card/CardCheck.h"
#include "card/CardDetection.h"
#include "card/PinSettings.h"
#include "cli/CardTask.h"
#include "cli/CliCardUi.h"
#include "cli/CliCommand.h"
#include "cli/ReadableValues.h"

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--port PORT] card COMMAND [OPTIONS]\n"
    "\n"
    "find                       looks the card up among the system's devices\n"
    "port                       the port the other commands would open, chosen as below\n"
    "                           (a PortName this user may not trust is passed over), without\n"
    "                           opening it; exit status 1 when there is none\n"
    "check [--pin PIN]... [--puk PUK --new-pin PIN]...\n"
    "                           the utility's card check: opens the port, checks the card\n"
    "                           and settles the SIM's PIN or PUK; each PIN prompt takes the\n"
    "                           next --pin, each PUK prompt the next --puk/--new-pin pair;\n"
    "                           none left means the prompt was cancelled\n"
    "info [check options]       the check, then the card's maker, model, firmware, number\n"
    "                           and signal level\n"
    "pin-lock on|off --pin PIN...\n"
    "                           switches the PIN request at power-on\n"
    "change-pin --old PIN --new PIN [--confirm PIN]\n"
    "                           changes the PIN (the PIN lock must be on)\n"
    "signal                     the signal level, 0 to 4\n"
    "contexts                   the card's ten packet contexts (APNs)\n"
    "eject                      asks the system to eject the PC-card form of the card\n"
    "\n"
    "The port is --port, else $VR31K_PORT, else PortName of the settings, else the card\n"
    "lookup. The message boxes the utility would show are listed under \"messages\": their\n"
    "caption ids, and with --json their captions and texts under \"message_texts\".\n"
    "Exit status 1 when the operation did not succeed.\n";

int Find(CliContext& context, CliArgs& args) {
    args.Finish();
    std::string port;
    const int code = FindCardPort(*MachineDeviceTree(), port, false, false, SolvaneMode(context) != 0);
    const bool found = code != CARD_NOT_FOUND && code != CARD_ERR_OS;
    Json result = Json::MakeObject();
    result.Set("result", found ? "CARD_FOUND" : code == CARD_ERR_OS ? "CARD_ERR_OS" : "CARD_NOT_FOUND")
        .Set("code", code)
        .Set("port", port);
    return found ? context.Print(result) : context.PrintFailed(result);
}

int Port(CliContext& context, CliArgs& args) {
    args.Finish();
    const std::string port = ResolvePort(context);
    Json result = Json::MakeObject();
    result.Set("port", port);
    return port.empty() ? context.PrintFailed(result) : context.Print(result);
}

Json CheckJson(CliContext& context, const CardTask& task, bool ok) {
    Json result = Json::MakeObject();
    result.Set("ok", ok).Set("card_state", CardStateJson(task.status.state)).Set("pin_lock", task.status.pinLockOn);
    SetMessages(result, task.ui.Boxes());
    result.Set("port", task.port);
    // The box says the port is busy; this says who keeps it.
    if (const std::string holder = ok ? std::string() : task.BusyPortCause(); !holder.empty()) {
        result.Set("held_by", holder);
        if (!context.JsonOutput()) context.Err() << "vr31kctl: " << holder << '\n';
    }
    return result;
}

int Check(CliContext& context, CliArgs& args) {
    CardTask task(context);
    TakeCodeOptions(args, task.ui);
    args.Finish();
    const bool ok = task.Check();
    return ok ? context.Print(CheckJson(context, task, ok)) : context.PrintFailed(CheckJson(context, task, ok));
}

int Info(CliContext& context, CliArgs& args) {
    CardTask task(context);
    TakeCodeOptions(args, task.ui);
    args.Finish();
    bool ok = task.Check();
    std::string number, firmware;
    int type = 0, level = -1;
    // As the card information command: the number, then the firmware; any error is
    // the communication error.
    if (ok && (task.card.GetSubscriberNumber(number, type) != CARD_OK || task.card.GetFirmwareVersion(firmware) != CARD_OK ||
               task.card.GetAntennaLevel(level) != CARD_OK)) {
        ShowCommError(task.ui);
        ok = false;
    }
    Json result = CheckJson(context, task, ok);
    if (ok) {
        result.Set("manufacturer", task.check.Manufacturer())
            .Set("model", task.check.Model())
            .Set("firmware", firmware)
            .Set("number", number.empty() ? std::string("...") : number)
            .Set("signal", level);
    }
    return ok ? context.Print(result) : context.PrintFailed(result);
}

Json PinResultJson(const CardTask& task, bool ok, bool changed) {
    Json result = Json::MakeObject();
    result.Set("ok", ok).Set("changed", changed).Set("card_state", CardStateJson(task.status.state));
    SetMessages(result, task.ui.Boxes());
    return result;
}

int PinLock(CliContext& context, CliArgs& args) {
    CardTask task(context);
    TakeCodeOptions(args, task.ui);
    const std::string mode = args.Require("on or off");
    args.Finish();
    if (mode != "on" && mode != "off") throw UsageError("pin-lock takes on or off");
    const bool wanted = mode == "on";
    bool ok = false, changed = false;
    if (task.Check()) {
        task.ui.wantedLock = wanted;
        if (task.status.pinLockOn == wanted) {
            ok = true;  // already so: the dialog's OK stays disabled
        } else {
            changed = PinLockCommand(task.card, task.ui, task.status).changed;
            ok = changed && task.status.pinLockOn == wanted;
        }
    }
    const Json result = PinResultJson(task, ok, changed);
    return ok ? context.Print(result) : context.PrintFailed(result);
}

int ChangePin(CliContext& context, CliArgs& args) {
    CardTask task(context);
    const auto oldPin = args.Option("--old");
    const auto newPin = args.Option("--new");
    const auto confirm = args.Option("--confirm");
    TakeCodeOptions(args, task.ui);
    args.Finish();
    if (!oldPin || !newPin) throw UsageError("change-pin needs --old and --new");
    bool changed = false;
    if (task.Check()) {
        task.ui.pinChange = PinChangeEntry{*oldPin, *newPin, confirm.value_or(*newPin)};
        changed = PinChangeCommand(task.card, task.ui, task.status).changed;
    }
    const Json result = PinResultJson(task, changed, changed);
    return changed ? context.Print(result) : context.PrintFailed(result);
}

int Signal(CliContext& context, CliArgs& args) {
    CardTask task(context);
    args.Finish();
    if (!task.Check()) return task.FailCheck(context);
    int level = -1;
    if (task.card.GetAntennaLevel(level) != CARD_OK) {
        return context.FailWithMessage(ids::IDS_COMM_ERROR_CAPTION, "comm-error", ids::IDS_COMM_ERROR_TEXT);
    }
    return context.Print(Json::MakeObject().Set("signal", level));
}

int Contexts(CliContext& context, CliArgs& args) {
    CardTask task(context);
    args.Finish();
    if (!task.Check()) return task.FailCheck(context);
    PdpContextList list;
    if (task.card.GetPdpContexts(list) != CARD_OK) {
        return context.FailWithMessage(ids::IDS_COMM_ERROR_CAPTION, "comm-error", ids::IDS_COMM_ERROR_TEXT);
    }
    Json array = Json::MakeArray();
    for (const auto& apn : list) array.Push(apn);
    return context.Print(Json::MakeObject().Set("contexts", std::move(array)));
}

int Eject(CliContext& context, CliArgs& args) {
    args.Finish();
    CCliCardUi ui(context.JsonOutput() ? nullptr : &context.Err());
    const bool ok = EjectCard(*MachineDeviceTree(), SolvaneMode(context) != 0) != 0;
    if (ok) ui.Tell(ids::IDS_CARD_REMOVED_CAPTION, ids::IDS_CARD_REMOVED_TEXT, MessageIcon::Information);
    else ui.Tell(ids::IDS_CARD_REMOVE_FAILED_CAPTION, ids::IDS_CARD_REMOVE_FAILED_TEXT, MessageIcon::Exclamation);
    Json result = Json::MakeObject();
    result.Set("ok", ok);
    SetMessages(result, ui.Boxes());
    return ok ? context.Print(result) : context.PrintFailed(result);
}

int Run(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("card command (find, port, check, info, pin-lock, change-pin, signal, contexts, eject)");
    if (sub == "find") return Find(context, args);
    if (sub == "port") return Port(context, args);
    if (sub == "check") return Check(context, args);
    if (sub == "info") return Info(context, args);
    if (sub == "pin-lock") return PinLock(context, args);
    if (sub == "change-pin") return ChangePin(context, args);
    if (sub == "signal") return Signal(context, args);
    if (sub == "contexts") return Contexts(context, args);
    if (sub == "eject") return Eject(context, args);
    throw UsageError("unknown card command '" + sub + "'");
}

}  // namespace

const CommandGroup& CardCommands() {
    static const CommandGroup group{"card", "find and check the card, its SIM, PIN lock and signal", kHelp, Run};
    return group;
}

}  // namespace vr31k::cli

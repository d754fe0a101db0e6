// vr31kctl doctor: every check a connection needs, with what fixes each.
#include "app/MachineDoctor.h"
#include "doctor/Doctor.h"
#include "cli/CardTask.h"
#include "cli/CliCommand.h"
#include "cli/OutsideConnection.h"

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--port PORT] doctor [--connection-test]\n"
    "\n"
    "Checks everything a connection needs and says, for each check, ok, warning, failed\n"
    "or unknown, in one sentence, with the command that fixes it where there is one:\n"
    "the card (by its USB ids) and its tty, the tty's group and mode, whether you may\n"
    "open it (a group joined after logging in is named), who holds the tty (processes,\n"
    "pppd's lock file, ModemManager), pppd with its peer file, the group dip, the kernel's\n"
    "PPP and the ip-up and ip-down hooks, the SIM (its state and attempts left; no code\n"
    "is ever sent), the data folder with the history, the settings and the room left,\n"
    "your runtime folder, logind, the session bus and the tray; and while a link over\n"
    "the card is up, where its traffic goes (the default route), whether names are\n"
    "looked up through its name servers and who manages them, and whether NetworkManager\n"
    "treats it as metered. None of these sends anything over the card.\n"
    "--connection-test also asks the link's first name server for one name, over the\n"
    "link: a single question and its answer, about a hundred bytes.\n"
    "The plain report names each check in Japanese, as the window's diagnosis does; --json\n"
    "keeps the ids.\n"
    "The card is --port, else $VR31K_PORT, else the USB lookup.\n"
    "Exit status 1 when a check failed.\n";

Json ChecksJson(const std::vector<CheckResult>& results, bool& failed) {
    Json checks = Json::MakeArray();
    failed = false;
    for (const CheckResult& r : results) {
        failed = failed || r.status == CheckStatus::Failed;
        checks.Push(Json::MakeObject()
                        .Set("check", r.id)
                        .Set("status", CheckStatusName(r.status))
                        .Set("message", r.message)
                        .Set("fix", r.fix.empty() ? Json(nullptr) : Json(r.fix)));
    }
    return checks;
}

int Run(CliContext& context, CliArgs& args) {
    const bool connectionTest = args.Flag("--connection-test");
    args.Finish();
    const auto results = RunDoctor(MachineDoctorInput(context.Paths().folder, context.PortOption(),
                                                      SolvaneMode(context) != 0, CardLinkInterface(context),
                                                      connectionTest));
    bool failed = false;
    Json checks = ChecksJson(results, failed);
    if (context.JsonOutput()) {
        Json result = Json::MakeObject();
        result.Set("ok", !failed).Set("checks", std::move(checks));
        return failed ? context.PrintFailed(result) : context.Print(result);
    }
    context.Out() << DoctorText(results);
    return failed ? kExitFailed : kExitOk;
}

}  // namespace

const CommandGroup& DoctorCommands() {
    static const CommandGroup group{"doctor", "checks everything a connection needs and names what to fix", kHelp, Run,
                                    false};
    return group;
}

}  // namespace vr31k::cli

// vr31kctl notify card-present | card-gone
// Tells the running utility of this user that the card came or went, as a device
// manager or a script that knows better than udev would (the window's message 0x8067).
#include "app/CUtilityApp.h"
#include "cli/CliCommand.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"

#include <cstdlib>

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] notify card-present|card-gone\n"
    "\n"
    "Tells the utility running in this user's session that the card was inserted\n"
    "(card-present: it checks the card when it has none) or removed (card-gone: it\n"
    "shows no card). Fails when no utility of this user runs.\n";

int Run(CliContext& context, CliArgs& args) {
    const std::string what = args.Require("card-present or card-gone");
    args.Finish();
    if (what != "card-present" && what != "card-gone") throw UsageError("unknown notice '" + what + "'");
    const bool present = what == "card-present";
    const InstanceLock lock(DefaultLockDir());
    if (!SendInstanceMessage(lock.OwnSocketPath(), {kMsgCardPresence, present ? 1u : 0u, 0})) {
        return context.Fail(1, "not-running", "the utility is not running in this session");
    }
    Json result = Json::MakeObject();
    result.Set("ok", true).Set("sent", what);
    return context.Print(result);
}

}  // namespace

const CommandGroup& NotifyCommands() {
    static const CommandGroup group{"notify", "tell the running utility that the card came or went", kHelp, Run};
    return group;
}

}  // namespace vr31k::cli

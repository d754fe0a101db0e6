// vr31kctl settings show | set-utility | set-desktop
#include "common/UtilitySettingsRules.h"
#include "cli/CliCommand.h"
#include "common/FileSystem.h"
#include "cli/SettingsJson.h"

#include <utility>
#include <vector>

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] settings show\n"
    "       vr31kctl [--json] [--data-dir DIR] settings set-utility [--auto-start 0|1]\n"
    "            [--iconized-start 0|1] [--card-rising 0|1] [--oneshot 0|1] [--oneshot-time N]\n"
    "       vr31kctl [--json] [--data-dir DIR] settings set-desktop --metered 0|1\n"
    "\n"
    "show         prints the three sections of VR31KUTL.ini as the utility reads them,\n"
    "             defaults filled in for absent or unreadable values, and VR31K_LIMIT\n"
    "             (see `vr31kctl plan set-limit`) once the file holds it.\n"
    "set-utility  changes the utility's own settings (UTL_CONFIG) and writes the section.\n"
    "             --auto-start     start the utility when the desktop session starts\n"
    "             --iconized-start start hidden in the tray\n"
    "             --card-rising    come to the front when the card is inserted\n"
    "             --oneshot        1: one-click signal display, 0: continuous display\n"
    "             --oneshot-time   seconds the one-click display stays on (10 to 60)\n"
    "set-desktop  how the card's link shows to the rest of the desktop (VR31K_DESKTOP).\n"
    "             --metered        1 (the default): NetworkManager reports the link as\n"
    "                              metered while it is up, so updaters hold off; 0: not\n";

Json UtilityJson(const UtilitySettings& s, const std::string& portName) {
    Json j = Json::MakeObject();
    j.Set("AutoStart", s.autoStart)
        .Set("IconizedStart", s.iconizedStart)
        .Set("CardDtctRising", s.cardDtctRising)
        .Set("AntDispOneshot", s.antDispOneshot)
        .Set("AntDispOneshotTime", s.antDispOneshotTime)
        .Set("SolvaneMode", s.solvaneMode)
        .Set("PortName", portName.empty() ? Json::Shown(portName, "not set") : Json(portName));
    return j;
}

Json GuiJson(const HistoryListSettings& s) {
    Json j = Json::MakeObject();
    j.Set("HistoryListCx", s.cx)
        .Set("HistoryListCy", s.cy)
        .Set("HistoryListMx", s.maximized)
        .Set("HistoryListSortColumn", s.sortColumn < 0 ? Json::Shown(s.sortColumn, "none") : Json(s.sortColumn))
        .Set("HistoryListSortMode", s.sortMode);
    return j;
}

Json DesktopJson(const SettingsStore& store) {
    Json j = Json::MakeObject();
    j.Set("Metered", store.ReadDesktopMetered() ? 1 : 0);
    return j;
}

int Show(CliContext& context, CliArgs& args) {
    args.Finish();
    const SettingsStore store = context.Settings();
    Json result = Json::MakeObject();
    result.Set(kUtilitySection, UtilityJson(store.ReadUtility(), store.ReadPortName()))
        .Set(kDialupSection, DialupSettingsJson(store.ReadDialup()))
        .Set(kGuiSection, GuiJson(store.ReadHistoryList()));
    // The limit's own section only once it was set: a file without it shows as before.
    if (store.HasLimitSection()) result.Set(kLimitSection, LimitSettingsJson(store.ReadLimit()));
    if (store.HasDesktopSection()) result.Set(kDesktopSection, DesktopJson(store));
    return context.Print(result);
}

int SetDesktop(CliContext& context, CliArgs& args) {
    const SettingsStore store = context.Settings();
    const auto metered = args.Option("--metered");
    args.Finish();
    if (!metered) throw UsageError("settings set-desktop needs --metered 0|1");
    const bool on = CliArgs::ToInteger(*metered, "--metered", 0, 1) != 0;
    context.PrepareDataFolder();
    if (const int error = store.ChangeDesktopMetered(on); error != 0) {
        return context.Fail(error, "write-failed", "cannot write " + store.Path() + ": " + FileErrorText(error));
    }
    Json result = Json::MakeObject();
    result.Set(kDesktopSection, DesktopJson(store));
    return context.Print(result);
}

int SetUtility(CliContext& context, CliArgs& args) {
    const SettingsStore store = context.Settings();
    // Only the keys given change; the others keep what the file holds when it is written.
    std::vector<std::pair<int32_t UtilitySettings::*, int32_t>> changes;
    const auto onOff = [&](std::string_view name, int32_t UtilitySettings::*field) {
        if (auto v = args.Option(name)) {
            changes.emplace_back(field, static_cast<int32_t>(CliArgs::ToInteger(*v, name, 0, 1)));
        }
    };
    onOff("--auto-start", &UtilitySettings::autoStart);
    onOff("--iconized-start", &UtilitySettings::iconizedStart);
    onOff("--card-rising", &UtilitySettings::cardDtctRising);
    onOff("--oneshot", &UtilitySettings::antDispOneshot);
    const auto time = args.Option("--oneshot-time");
    args.Finish();
    if (time) {
        const FieldCheck check = CheckOneshotTime(*time);
        if (!check.ok) return context.Fail(check.textId, "invalid-value", check.text);
        changes.emplace_back(&UtilitySettings::antDispOneshotTime, check.value);
    }
    context.PrepareDataFolder();
    const int error = store.ChangeUtility([&](UtilitySettings& s) {
        for (const auto& [field, value] : changes) s.*field = value;
        return true;
    });
    if (error != 0) {
        return context.Fail(error, "write-failed", "cannot write " + store.Path() + ": " + FileErrorText(error));
    }
    Json result = Json::MakeObject();
    result.Set(kUtilitySection, UtilityJson(store.ReadUtility(), store.ReadPortName()));
    return context.Print(result);
}

int Run(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("settings command (show, set-utility or set-desktop)");
    if (sub == "show") return Show(context, args);
    if (sub == "set-utility") return SetUtility(context, args);
    if (sub == "set-desktop") return SetDesktop(context, args);
    throw UsageError("unknown settings command '" + sub + "'");
}

}  // namespace

const CommandGroup& SettingsCommands() {
    static const CommandGroup group{"settings", "show the settings file; change the utility settings", kHelp, Run};
    return group;
}

}  // namespace vr31k::cli

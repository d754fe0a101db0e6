// vr31kctl: the utility's work from a terminal, with the same logic the window uses.
#include "common/DataFolder.h"
#include "common/FolderLock.h"
#include "cli/CliCommand.h"
#include "cli/CliRunner.h"
#include "cli/FolderChanges.h"

#include <ostream>

namespace vr31k::cli {
namespace {

// Every command group, in the order the help lists them.
const CommandGroup& (*const kGroups[])() = {
    SettingsCommands,
    CardCommands,
    EntriesCommands,
    ConnectCommands,
    DisconnectCommands,
    StatusCommands,
    WatchCommands,
    NotifyCommands,
    PlanCommands,
    UsageCommands,
    HistoryCommands,
    ProgramCommands,
    DoctorCommands,
};

constexpr std::string_view kUsage =
    "usage: vr31kctl [--data-dir DIR] [--port PORT] [--json] COMMAND [ARGS...]\n"
    "       vr31kctl COMMAND --help\n"
    "\n"
    "Options (before or after the command):\n"
    "  --data-dir DIR  the data folder (default: $VR31K_DATA_DIR, else /var/lib/vr31k-utility/)\n"
    "  --port PORT     the card's serial port (default: $VR31K_PORT, else PortName of the\n"
    "                  settings, else the card lookup)\n"
    "  --json          print exactly one JSON object on standard output\n"
    "  --version       print the version\n"
    "\n"
    "Exit status: 0 done, 1 the operation failed, 2 the command line was wrong.\n"
    "\n"
    "Commands:\n";

void PrintUsage(std::ostream& out) {
    out << kUsage;
    for (auto group : kGroups) {
        const CommandGroup& g = group();
        std::string name(g.name);
        name.resize(12, ' ');
        out << "  " << name << g.summary << '\n';
    }
}

// Global options written after the command word, as people often do
// (vr31kctl card check --port P): no command has options of the same names.
void TakeGlobalOptions(CliArgs& args, std::optional<std::string>& dataDir, std::optional<std::string>& port,
                       bool& json) {
    const auto take = [&](std::string_view name, std::optional<std::string>& value) {
        auto found = args.Option(name);
        if (!found) return;
        if (value) throw UsageError(std::string(name) + " may be given only once");
        value = std::move(found);
    };
    take("--data-dir", dataDir);
    take("--port", port);
    if (args.Flag("--json")) json = true;
}

}  // namespace

int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    // Global options come before the command word, or after it.
    std::optional<std::string> dataDir, port;
    bool json = false;
    size_t i = 0;
    CliArgs args({});
    try {
        for (; i < words.size(); ++i) {
            const std::string& w = words[i];
            const auto value = [&](std::string_view name) {
                if (w.size() > name.size() && w[name.size()] == '=') return w.substr(name.size() + 1);
                if (i + 1 >= words.size()) throw UsageError(std::string(name) + " needs a value");
                return words[++i];
            };
            if (w == "--json") json = true;
            else if (w == "--data-dir" || w.rfind("--data-dir=", 0) == 0) dataDir = value("--data-dir");
            else if (w == "--port" || w.rfind("--port=", 0) == 0) port = value("--port");
            else if (w == "--help" || w == "-h") { PrintUsage(out); return kExitOk; }
            else if (w == "--version") { out << "vr31kctl " VR31K_VERSION "\n"; return kExitOk; }
            else if (w.size() > 1 && w[0] == '-') throw UsageError("unknown option '" + w + "'");
            else break;
        }
        if (i >= words.size()) throw UsageError("missing command");
        args = CliArgs(std::vector<std::string>(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end()));
        TakeGlobalOptions(args, dataDir, port, json);
        // An empty name would put the files at the root of the file system.
        if (dataDir && dataDir->empty()) throw UsageError("--data-dir needs a folder, not an empty name");
    } catch (const UsageError& e) {
        err << "vr31kctl: " << e.what() << "\n\n";
        PrintUsage(err);
        if (json) CliContext(std::string(), std::nullopt, true, out, err).Fail(kExitUsage, "usage", e.what());
        return kExitUsage;
    }

    const std::string command = words[i];
    const CommandGroup* found = nullptr;
    for (auto group : kGroups) {
        if (group().name == command) found = &group();
    }
    if (std::string fromEnvironment = PortFromEnvironment(); !port && !fromEnvironment.empty()) port = fromEnvironment;
    CliContext context(dataDir.value_or(DefaultDataFolder()), port, json, out, err);
    if (found == nullptr) {
        err << "vr31kctl: unknown command '" << command << "'\n\n";
        PrintUsage(err);
        if (json) context.Fail(kExitUsage, "usage", "unknown command '" + command + "'");
        return kExitUsage;
    }
    try {
        if (args.WantsHelp()) {
            out << found->help;
            return kExitOk;
        }
        if (found->needsDataFolder && !context.CheckDataFolder()) return kExitFailed;
        FolderLock::ClearLastProblem();
        const FolderChanges changes(context.Paths());
        const int status = found->run(context, args);
        // Whatever the command wrote (a failed one may have written part of it).
        TellRunningUtility(changes.Since());
        // A lock another program kept made some step give up: say which.
        if (!FolderLock::LastProblem().empty()) err << "vr31kctl: " << FolderLock::LastProblem() << '\n';
        return status;
    } catch (const UsageError& e) {
        err << "vr31kctl " << command << ": " << e.what() << "\n\n" << found->help;
        if (json) context.Fail(kExitUsage, "usage", e.what());
        return kExitUsage;
    }
}

}  // namespace vr31k::cli

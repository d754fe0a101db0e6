#pragma once
// Conventions every vr31kctl command follows:
//  - exit status 0 success, 1 the operation failed, 2 usage error (3: see ExitStatus);
//  - with --json exactly one JSON object on stdout; a failure prints
//    {"error": {"code": N, "name": "...", "message": "..."}}, the message being the
//    text the desktop program would show, where there is one;
//  - without --json the same content as "key: value" lines.
#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "cli/CliArgs.h"
#include "cli/Json.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k::cli {

// kExitLimitReached: `connect` did not dial, the period having reached the user's limit.
enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitLimitReached = 3 };

class CliContext {
public:
    CliContext(std::string dataFolder, std::optional<std::string> port, bool json,
               std::ostream& out, std::ostream& err);

    const DataPaths& Paths() const { return m_paths; }
    // Whether this user may use the data folder (a missing one is fine until written);
    // prints the error (false) or a warning about a folder open to every user.
    bool CheckDataFolder();
    // Creates the data folder when missing, as the utility's start-up does (before a
    // command writes into it); a folder that cannot be made is told on stderr.
    void PrepareDataFolder() const;
    SettingsStore Settings() const { return SettingsStore(m_paths.settings); }
    // --port, else VR31K_PORT (empty without either): the card commands add PortName and
    // the lookup.
    const std::optional<std::string>& PortOption() const { return m_port; }
    bool JsonOutput() const { return m_json; }
    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // Prints the command's one result object; returns kExitOk.
    int Print(const Json& result);
    // Prints the result object of an operation that did not succeed; returns kExitFailed.
    int PrintFailed(const Json& result);
    // Prints the error object; returns kExitFailed.
    int Fail(int code, std::string_view name, std::string_view message);
    // Fail() with a string-table message (caption + text ids of a message box).
    int FailWithMessage(int code, std::string_view name, int textId);

private:
    DataPaths m_paths;
    std::optional<std::string> m_port;
    bool m_json;
    std::ostream& m_out;
    std::ostream& m_err;
};

struct CommandGroup {
    std::string_view name;     // first word of the command
    std::string_view summary;  // one line for the general help
    std::string_view help;     // the group's full help text
    int (*run)(CliContext& context, CliArgs& args);
    // False for a command that must run even when the data folder cannot be used.
    bool needsDataFolder = true;
};

// One accessor per group, listed in CliMain.cpp.
const CommandGroup& SettingsCommands();
const CommandGroup& PlanCommands();
const CommandGroup& UsageCommands();
const CommandGroup& HistoryCommands();
const CommandGroup& ProgramCommands();
const CommandGroup& CardCommands();
const CommandGroup& EntriesCommands();
const CommandGroup& ConnectCommands();
const CommandGroup& DisconnectCommands();
const CommandGroup& StatusCommands();
const CommandGroup& WatchCommands();
const CommandGroup& NotifyCommands();
const CommandGroup& DoctorCommands();

}  // namespace vr31k::cli

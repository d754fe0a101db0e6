#pragma once
// Programs run as another local user, as an attacker or a second member of the card's
// group would run them: a throw-away account made with useradd (root only) and a child
// process with its credentials.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vr31k::test {

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

class ThrowawayUser {
public:
    // A new account in the given supplementary groups; null with the reason when this
    // process may not make one (not root, no useradd).
    static std::unique_ptr<ThrowawayUser> Create(const std::vector<std::string>& groups, std::string& whyNot);
    ~ThrowawayUser();  // the account is removed
    ThrowawayUser(const ThrowawayUser&) = delete;
    ThrowawayUser& operator=(const ThrowawayUser&) = delete;

    const std::string& Name() const { return m_name; }
    uid_t Uid() const { return m_uid; }
    gid_t Gid() const { return m_gid; }

private:
    ThrowawayUser(std::string name, uid_t uid, gid_t gid) : m_name(std::move(name)), m_uid(uid), m_gid(gid) {}
    std::string m_name;
    uid_t m_uid;
    gid_t m_gid;
};

// Who a child runs as: this process's own credentials when empty.
using RunAs = const ThrowawayUser*;

// Runs `argv` (with `env` added to a minimal environment) to its end, or kills it after
// `timeout`; collects both outputs.
RunResult RunProgram(RunAs user, const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));
// Starts `argv` and returns its pid; its output goes to `outFile` when given, else nowhere.
pid_t StartProgram(RunAs user, const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                   const std::string& outFile = {});
// Runs `body` in a forked child under the user's credentials; its return value is the
// child's exit status (128 + signal when it dies).
int RunInChild(RunAs user, const std::function<int()>& body);
// The same without waiting: the child's pid.
pid_t StartInChild(RunAs user, const std::function<int()>& body);
// The exit status of a child, waiting at most `timeout`; nullopt when it still runs.
std::optional<int> WaitChild(pid_t pid, std::chrono::milliseconds timeout);

// A data folder as the install step leaves it (root and the card's group, 2770), named
// `name` below `parent`, which is opened for every user to enter.
std::string MakeSharedFolder(const std::string& parent, const std::string& name = "shared");

// A child that holds `port` open and locked as a dialler does, named "sleep" by the time
// this returns (end it with SIGKILL and reap it); -1 when it could not take the port.
pid_t StartPortHolder(const std::string& port, bool lock = true);

// Whether `pid` runs (exists and is no zombie).
bool ProcessRunning(pid_t pid);

#ifdef VR31KCTL_PATH
// The vr31kctl under test: VR31KCTL_UNDER_TEST names another build (to show a fault
// in an earlier one), else this build's.
inline std::string CtlPath() {
    const char* other = std::getenv("VR31KCTL_UNDER_TEST");
    return other != nullptr && *other != '\0' ? other : VR31KCTL_PATH;
}
#endif

// Skips the calling test with the reason when no throw-away user can be made.
#define VR31K_THROWAWAY_USER(var, ...)                                                   \
    std::string var##WhyNot;                                                             \
    auto var = ::vr31k::test::ThrowawayUser::Create({__VA_ARGS__}, var##WhyNot);        \
    if (!var) GTEST_SKIP() << var##WhyNot

}  // namespace vr31k::test

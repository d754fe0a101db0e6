#include "PrivateNetns.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace vr31k::test {

namespace {

constexpr const char* kInsideVariable = "VR31K_TEST_IN_NETNS";

int Run(std::vector<std::string> args, const std::string& output) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

NetnsRun RunInPrivateNetns(std::string& reason) {
    if (std::getenv(kInsideVariable) != nullptr) {
        // Our own view of the interfaces: a sysfs mounted in this mount namespace.
        if (mount("sysfs", "/sys", "sysfs", 0, nullptr) != 0) {
            reason = std::string("cannot mount sysfs in the namespace: ") + std::strerror(errno);
            return NetnsRun::Failed;
        }
        if (access("/dev/net/tun", R_OK | W_OK) != 0) {
            std::printf("VR31K-NETNS-SKIP: /dev/net/tun is not usable here\n");
            std::exit(0);
        }
        return NetnsRun::Inside;
    }
    TempDir dir;
    const std::string out = dir.File("out");
    // Root may unshare directly; others try a user namespace of their own.
    std::vector<std::string> prefix;
    for (const std::vector<std::string>& candidate :
         {std::vector<std::string>{"unshare", "-n", "-m"}, std::vector<std::string>{"unshare", "-r", "-n", "-m"}}) {
        std::vector<std::string> probe = candidate;
        probe.push_back("true");
        if (Run(probe, out) == 0) {
            prefix = candidate;
            break;
        }
    }
    if (prefix.empty()) {
        reason = "this machine forbids private network namespaces (unshare -n failed): " + ReadFile(out);
        return NetnsRun::Skipped;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::vector<std::string> args = prefix;
    args.insert(args.end(), {"env", std::string(kInsideVariable) + "=1", "/proc/self/exe",
                             std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name()});
    // /proc/self/exe would name `env`: give the test binary's own path.
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        reason = "cannot find the test program";
        return NetnsRun::Failed;
    }
    self[n] = '\0';
    args[prefix.size() + 2] = self;
    const int status = Run(args, out);
    const std::string output = ReadFile(out);
    if (output.find("VR31K-NETNS-SKIP") != std::string::npos) {
        reason = output.substr(output.find("VR31K-NETNS-SKIP"));
        return NetnsRun::Skipped;
    }
    if (status == 0 && output.find("[  SKIPPED ]") != std::string::npos) {
        reason = "skipped in the private namespace:\n" + output;
        return NetnsRun::Skipped;
    }
    if (status != 0) {
        reason = "the run in the private namespace failed:\n" + output;
        return NetnsRun::Failed;
    }
    return NetnsRun::Passed;
}

}  // namespace vr31k::test

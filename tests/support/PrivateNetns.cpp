#include "support/PrivateNetns.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace vr31k::test {

namespace {

constexpr const char* kInsideVariable = "VR31K_TEST_IN_NETNS";
// in_private_netns.sh: this machine cannot give the namespace; its output says why.
constexpr int kSkipStatus = 77;

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
    // The script has made the namespace, its sysfs and loopback, and checked TUN.
    if (std::getenv(kInsideVariable) != nullptr) return NetnsRun::Inside;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        reason = "cannot find the test program";
        return NetnsRun::Failed;
    }
    self[n] = '\0';
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    TempDir dir;
    const std::string out = dir.File("out");
    const int status = Run({IN_PRIVATE_NETNS, "env", std::string(kInsideVariable) + "=1", self,
                            std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name()},
                           out);
    const std::string output = ReadFile(out);
    if (status == kSkipStatus) {
        reason = output;
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

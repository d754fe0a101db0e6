#pragma once
// Runs the current test again inside a private network and mount namespace (where it
// may create TUN interfaces and sees its own /sys/class/net), so nothing touches the
// machine's real interfaces. tests/support/in_private_netns.sh makes the namespace.
#include <string>

namespace vr31k::test {

enum class NetnsRun {
    Inside,   // this process is the re-run: do the test's work
    Passed,   // the re-run passed
    Failed,   // the re-run failed; the reason holds its output
    Skipped,  // the machine cannot give the namespace or TUN; the reason says why
};

NetnsRun RunInPrivateNetns(std::string& reason);

}  // namespace vr31k::test

// At the top of a test: re-runs it in the namespace and reports the re-run's outcome.
#define VR31K_IN_PRIVATE_NETNS()                                                 \
    do {                                                                         \
        std::string netnsReason;                                                 \
        switch (::vr31k::test::RunInPrivateNetns(netnsReason)) {                 \
            case ::vr31k::test::NetnsRun::Inside: break;                         \
            case ::vr31k::test::NetnsRun::Passed: return;                        \
            case ::vr31k::test::NetnsRun::Skipped: GTEST_SKIP() << netnsReason;  \
            case ::vr31k::test::NetnsRun::Failed: FAIL() << netnsReason;         \
        }                                                                        \
    } while (0)

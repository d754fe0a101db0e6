// The connection of a running `vr31kctl connect` is its user's own process state: a
// status planted by another user (in the shared folder, or in a folder made to look
// like the victim's runtime folder) naming a decoy process called vr31kctl is never
// believed, and the decoy is never signalled.
#include "support/ProcessRun.h"
#include "common/DataFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

std::string Planted(pid_t pid) {
    return "{\"pid\": " + std::to_string(pid) + ", \"state\": \"connected\", \"entry\": \"planted\"}\nstate: connected\n";
}

TEST(ConnectionStatus, AnotherUsersPlantedStatusIsNeverBelieved) {
    VR31K_THROWAWAY_USER(attacker, kDataGroup);
    VR31K_THROWAWAY_USER(victim, kDataGroup);
    TempDir root;
    const std::string folder = MakeSharedFolder(root.Path());

    // The decoy: a program of the attacker's called vr31kctl, holding a lock of theirs.
    const std::string tools = root.File("attacker");
    mkdir(tools.c_str(), 0755);
    const std::string decoy = tools + "/vr31kctl";
    ASSERT_EQ(RunProgram(nullptr, {"/bin/cp", "/bin/sleep", decoy}).status, 0);
    chown(tools.c_str(), attacker->Uid(), attacker->Gid());
    chown(decoy.c_str(), attacker->Uid(), attacker->Gid());
    const pid_t decoyPid = StartProgram(attacker.get(), {decoy, "60"});

    // Planted where earlier builds kept the status, and where the victim's own runtime
    // folder would be made when it has none.
    const int planted = RunInChild(attacker.get(), [&] {
        std::ofstream(folder + "/vr31kctl-connection.json") << Planted(decoyPid);
        const std::string fake = "/tmp/vr31kctl-" + std::to_string(victim->Uid());
        mkdir(fake.c_str(), 0700);
        for (const char* name : {"/vr31kctl-connection.json", "/status.json"}) std::ofstream(fake + name) << Planted(decoyPid);
        return 0;
    });
    ASSERT_EQ(planted, 0);

    for (RunAs who : {RunAs(nullptr), RunAs(victim.get())}) {
        SCOPED_TRACE(who == nullptr ? "root" : "a member");
        for (const char* command : {"status", "disconnect"}) {
            const RunResult r = RunProgram(who, {CtlPath(), "--json", "--data-dir", folder, command});
            EXPECT_EQ(r.status, 1) << command << ": " << r.out << r.err;
            EXPECT_NE(r.out.find("\"code\": 908"), std::string::npos) << command << ": " << r.out << r.err;
            EXPECT_EQ(r.out.find("planted"), std::string::npos) << r.out;
        }
        EXPECT_TRUE(ProcessRunning(decoyPid)) << "the decoy was signalled";
    }
    kill(decoyPid, SIGKILL);
    WaitChild(decoyPid, std::chrono::seconds(5));
    RunProgram(nullptr, {"/bin/rm", "-rf", "/tmp/vr31kctl-" + std::to_string(victim->Uid())});
}

}  // namespace

// The connection of a running `vr31kctl connect` is its user's own process state: a
// status planted by another user (in the shared folder, or in a folder made to look
// like the victim's runtime folder) naming a decoy process called vr31kctl is never
// believed, and the decoy is never signalled.
#include "support/ProcessRun.h"
#include "common/DataFolder.h"
#include "platform/RuntimeFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
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

// Without a session's runtime folder, the fixed name another user can make first is
// never used: the victim gets a 0700 folder of its own with a name nobody can guess,
// the same for every process (found again through the note in its home), and a note
// naming another user's folder is replaced. A home others may write gives no folder,
// with the way out named.
TEST(ConnectionStatus, ARuntimeFolderAnotherUserMadeFirstIsNeverUsed) {
    VR31K_THROWAWAY_USER(squatter);
    VR31K_THROWAWAY_USER(victim);
    const std::string squatted = "/tmp/vr31kctl-" + std::to_string(victim->Uid());
    ASSERT_EQ(RunInChild(squatter.get(), [&] { return mkdir(squatted.c_str(), 0777) == 0 ? 0 : 1; }), 0);
    chmod(squatted.c_str(), 0777);
    TempDir root;
    chmod(root.Path().c_str(), 0755);
    struct Row {
        const char* name;
        mode_t homeMode;
        bool plantNote;  // a note naming the squatted folder
        bool folderExpected;
    } rows[] = {
        {"private home", 0700, false, true},
        {"a note naming another user's folder", 0700, true, true},
        {"a home others may write", 0777, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string home = root.File(std::string("home-") + std::to_string(&row - rows));
        mkdir(home.c_str(), row.homeMode);
        chmod(home.c_str(), row.homeMode);
        chown(home.c_str(), victim->Uid(), victim->Gid());
        if (row.plantNote) std::ofstream(home + "/.vr31kctl-runtime") << squatted << "\n";
        // 0 as expected; else which check failed.
        const int status = RunInChild(victim.get(), [&] {
            unsetenv("XDG_RUNTIME_DIR");
            setenv("HOME", home.c_str(), 1);
            const RuntimeFolder first = UserRuntimeFolder(), again = UserRuntimeFolder();
            if (!row.folderExpected) {
                return first.path.empty() && first.reason.find("XDG_RUNTIME_DIR") != std::string::npos ? 0 : 1;
            }
            struct stat st {};
            if (first.path.empty() || first.path == squatted || again.path != first.path) return 2;
            if (lstat(first.path.c_str(), &st) != 0 || st.st_uid != getuid() || (st.st_mode & 0777) != 0700) return 3;
            return 0;
        });
        EXPECT_EQ(status, 0);
    }
    RunProgram(nullptr, {"/bin/sh", "-c", "rm -rf " + squatted + " " + squatted + "-*"});
}

}  // namespace

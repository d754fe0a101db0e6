// PortName in the shared settings is written by any member of the card's group: it is
// used only when it leads to a character device of root's or of the running user, through
// links and folders no one else can change.
#include "support/ProcessRun.h"
#include "platform/PortTrust.h"
#include "support/TempDir.h"
#include "CardSimulator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

// The other user's card simulator on a pty of theirs, in a child process: prints the
// port, serves until its stdin closes, then prints every command line it received.
struct ForeignSimulator {
    pid_t pid = -1;
    int toChild = -1, fromChild = -1;
    std::string port;

    explicit ForeignSimulator(RunAs user) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(in[1]);
            close(out[0]);
            if (user != nullptr && (setgid(user->Gid()) != 0 || setuid(user->Uid()) != 0)) _exit(126);
            sim::SimOptions options;
            options.sim = sim::SimState::PinRequired;
            sim::CardSimulator card(options);
            std::string error;
            if (!card.Start(error)) _exit(1);
            std::string line = card.PortPath() + "\n";
            if (write(out[1], line.data(), line.size()) < 0) _exit(1);
            char c;
            while (read(in[0], &c, 1) > 0) {
            }
            std::string commands;
            for (const auto& command : card.Commands()) commands += command + "\n";
            if (write(out[1], commands.data(), commands.size()) < 0) _exit(1);
            _exit(0);
        }
        close(in[0]);
        close(out[1]);
        toChild = in[1];
        fromChild = out[0];
        char c;
        while (read(fromChild, &c, 1) == 1 && c != '\n') port += c;
    }
    // Ends the simulator; the command lines it received.
    std::string Finish() {
        close(toChild);
        std::string text;
        char buffer[512];
        ssize_t n;
        while ((n = read(fromChild, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
        close(fromChild);
        WaitChild(pid, std::chrono::seconds(10));
        return text;
    }
};

TEST(SharedPortName, AnotherUsersPtyNeverGetsThePin) {
    VR31K_THROWAWAY_USER(attacker, "dialout");
    ForeignSimulator foreign(attacker.get());
    ASSERT_FALSE(foreign.port.empty());
    struct stat st {};
    ASSERT_EQ(stat(foreign.port.c_str(), &st), 0);
    ASSERT_EQ(st.st_uid, attacker->Uid()) << "the pty is the other user's";

    TempDir data;
    WriteFile(data.File("VR31KUTL.ini"), "[UTL_CONFIG]\nPortName=" + foreign.port + "\n");
    const RunResult r = RunProgram(nullptr, {CtlPath(), "--data-dir", data.Path(), "card", "check", "--pin", "1234"});
    const std::string received = foreign.Finish();
    EXPECT_EQ(received.find("1234"), std::string::npos) << received;
    EXPECT_EQ(received, "") << "not one command reaches the other user's terminal";
    EXPECT_NE(r.err.find("PortName " + foreign.port + " of the settings is not used (" + foreign.port +
                         " belongs to another user)"),
              std::string::npos)
        << r.err;
}

TEST(SharedPortName, AnExplicitPortAndTheUsersOwnSimulatorStillWork) {
    ForeignSimulator own(nullptr);  // this user's own
    ASSERT_FALSE(own.port.empty());
    TempDir data;
    WriteFile(data.File("VR31KUTL.ini"), "[UTL_CONFIG]\nPortName=" + own.port + "\n");
    RunResult r = RunProgram(nullptr, {CtlPath(), "--data-dir", data.Path(), "card", "check", "--pin", "1234"});
    EXPECT_EQ(r.status, 0) << r.err;
    TempDir empty;
    r = RunProgram(nullptr, {CtlPath(), "--data-dir", empty.Path(), "--port", own.port, "card", "info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(own.Finish().find("AT+CPIN=\"1234\""), std::string::npos);
}

TEST(SharedPortName, OnlyPathsThatRootOrTheUserControlsAreTrusted) {
    VR31K_THROWAWAY_USER(other);
    TempDir dir;
    chmod(dir.Path().c_str(), 0755);
    const auto mine = [&](const std::string& path) { return lchown(path.c_str(), other->Uid(), other->Gid()) == 0; };
    const std::string rootLink = dir.File("root-link");
    symlink("/dev/null", rootLink.c_str());
    const std::string otherLink = dir.File("other-link");
    symlink("/dev/null", otherLink.c_str());
    ASSERT_TRUE(mine(otherLink));
    const std::string otherFolder = dir.File("other-folder");
    mkdir(otherFolder.c_str(), 0755);
    ASSERT_TRUE(mine(otherFolder));
    symlink("/dev/null", (otherFolder + "/tty").c_str());
    const std::string file = dir.File("file");
    WriteFile(file, "");
    ForeignSimulator foreign(other.get());

    struct Row {
        std::string name;
        uid_t user;
        std::string device;  // empty: refused
        std::string reason;
    } rows[] = {
        {"/dev/null", 0, "/dev/null", ""},
        {rootLink, 0, "/dev/null", ""},
        {otherLink, 0, "", "a link of another user"},
        {otherLink, other->Uid(), "/dev/null", ""},
        {otherFolder + "/tty", 0, "", "a folder another user may change"},
        {file, 0, "", "is not a character device"},
        {dir.File("missing"), 0, "", "No such file"},
        {"dev/null", 0, "", "not an absolute path"},
        {foreign.port, 0, "", "belongs to another user"},
        {foreign.port, other->Uid(), foreign.port, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + " for uid " + std::to_string(row.user));
        const PortTrust trust = CheckPortName(row.name, row.user);
        EXPECT_EQ(trust.device, row.device);
        if (row.reason.empty()) EXPECT_TRUE(trust.Trusted()) << trust.reason;
        else EXPECT_NE(trust.reason.find(row.reason), std::string::npos) << trust.reason;
    }
    foreign.Finish();
}

}  // namespace

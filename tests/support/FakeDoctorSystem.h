#pragma once
// The doctor's checks against a system built in a folder: a card tty (a pseudo-terminal
// that only the server of its line holds), a /proc tree, the lock folder, pppd and its
// files, udev's database and a data folder, with the user's groups and the SIM's answers
// given. The doctor's tests and the diagnosis dialog's share it.
#include "doctor/Doctor.h"
#include "card/CardResults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vr31k::test {

// A healthy machine: a card tty that only the server of its line holds, pppd with this
// version's peer file, the hook and its recorder, a data folder shared with a group, a
// user (not root) in every group it needs.
struct FakeDoctorSystem {
    FakeDoctorSystem() {
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        port = ttyname(slave);
        chmod(port.c_str(), 0660);
        struct stat st {};
        stat(port.c_str(), &st);
        in.roots = {root.File("proc"), root.File("lock"),   root.File("ppp"),      root.File("dev"),
                    root.File("udev"), root.File("run"),    root.File("pppd"),     {root.File("record")},
                    {root.File("hook")}};
        for (const char* dir :
             {"proc", "lock", "ppp/peers", "ppp/ip-up.d", "ppp/ip-down.d", "dev", "udev", "run", "data"}) {
            std::filesystem::create_directories(root.File(dir));
        }
        for (const std::string& program : {in.roots.pppd, root.File("ppp/ip-up.d/vr31k-utility"),
                                           root.File("ppp/ip-down.d/vr31k-utility"), root.File("record"),
                                           root.File("hook")}) {
            WriteFile(program, "#!/bin/sh\n");
            chmod(program.c_str(), 0755);
        }
        in.peerFileText = "noauth\nlock\n";
        WriteFile(root.File("ppp/peers/vr31k-utility"), in.peerFileText);
        udevFile = root.File("udev/c" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)));
        WriteFile(udevFile, "E:ID_MM_DEVICE_IGNORE=1\n");
        in.port = port;
        in.dataFolder = root.File("data");
        chmod(in.dataFolder.c_str(), 0770);
        in.machineFolder = false;
        struct stat folder {};
        stat(in.dataFolder.c_str(), &folder);
        ttyGroup = GroupOf(st.st_gid);
        dataGroup = GroupOf(folder.st_gid);
        SetGroups({"users", "@tty", "dip", "@data"}, {"users", "@tty", "dip", "@data"});
        in.runtimeFolder = root.File("run");
        in.querySim = [this](const std::string&) { return sim; };
    }
    ~FakeDoctorSystem() {
        close(slave);
        close(master);
    }

    static std::string GroupOf(gid_t gid) {
        const struct group* g = getgrgid(gid);
        return g != nullptr ? g->gr_name : std::to_string(gid);
    }
    // The user alice (not root) with these groups; "@tty" and "@data" stand for the
    // groups of the tty and of the data folder.
    void SetGroups(std::vector<std::string> session, std::vector<std::string> database) {
        for (auto* groups : {&session, &database}) {
            for (std::string& g : *groups) g = g == "@tty" ? ttyGroup : g == "@data" ? dataGroup : g;
        }
        in.user = {4242, "alice", session, database};
    }
    // A process in the fake /proc, holding `fdTarget` when given.
    void Process(int pid, const std::string& name, long uid, const std::string& fdTarget = {}) {
        const std::string dir = root.File("proc/" + std::to_string(pid));
        std::filesystem::create_directories(dir + "/fd");
        WriteFile(dir + "/comm", name + "\n");
        WriteFile(dir + "/status", "Name:\t" + name + "\nUid:\t" + std::to_string(uid) + "\t0\t0\t0\n");
        if (!fdTarget.empty()) std::filesystem::create_symlink(fdTarget, dir + "/fd/3");
    }
    std::string LockFile() const { return root.File("lock/LCK.." + port.substr(port.rfind('/') + 1)); }
    CheckResult Run(const std::string& id) const {
        for (CheckResult& r : RunDoctor(in)) {
            if (r.id == id) return r;
        }
        ADD_FAILURE() << "no check " << id;
        return {};
    }

    TempDir root;
    DoctorInput in;
    SimReport sim{true, true, SIM_READY, -1};
    std::string port, ttyGroup, dataGroup, udevFile;
    int master = -1, slave = -1;
};

}  // namespace vr31k::test

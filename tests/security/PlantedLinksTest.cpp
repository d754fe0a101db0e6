// A link planted at any name the program opens or creates in the data folder (the
// four files and the history engine's side files) is never followed: whatever it points
// at (nothing, a root-only file, another user's file) stays as it was, and every command
// fails saying which file is wrong.
#include "support/CtlCommands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k::test;

namespace {

const char* const kNames[] = {"VR31KUTL.ini", "VR31KUTL.pbk", "VR31KUTL.dat", "VR31KUTL.mdb",
                              "VR31KUTL.mdb-wal", "VR31KUTL.mdb-shm", "VR31KUTL.mdb-journal"};

struct Target {
    std::string path;  // what the link names
    std::string content;
    uid_t owner = 0;
    mode_t mode = 0;
};

Target Snapshot(const std::string& path) {
    struct stat st {};
    Target t{path, ReadFile(path), 0, 0};
    if (stat(path.c_str(), &st) == 0) {
        t.owner = st.st_uid;
        t.mode = st.st_mode & 07777;
    }
    return t;
}

TEST(PlantedLinks, NoCommandFollowsALinkAtAnyNameOfTheFolder) {
    VR31K_THROWAWAY_USER(attacker);
    TempDir targets;
    chmod(targets.Path().c_str(), 0755);
    const std::string rootOnly = targets.File("root-only");
    WriteFile(rootOnly, "root's secret\n");
    chmod(rootOnly.c_str(), 0600);
    const std::string othersFile = targets.File("other-user");
    WriteFile(othersFile, "[UTL_CONFIG]\nAutoStart=1\n");
    chown(othersFile.c_str(), attacker->Uid(), attacker->Gid());
    chmod(othersFile.c_str(), 0644);

    std::vector<std::vector<std::string>> commands = kFolderCommands;
    commands.push_back({"history", "list"});
    for (const std::string& pointsAt : {targets.File("dangling"), rootOnly, othersFile}) {
        for (const char* name : kNames) {
            SCOPED_TRACE(std::string(name) + " -> " + pointsAt);
            TempDir data;
            const std::string link = data.File(name);
            ASSERT_EQ(symlink(pointsAt.c_str(), link.c_str()), 0);
            const Target before = Snapshot(pointsAt);
            for (const auto& words : commands) {
                const RunResult r = RunProgram(nullptr, CtlArgv(data.Path(), words));
                EXPECT_EQ(r.status, 1) << words[0] << " " << words[1] << "\n" << r.out << r.err;
                EXPECT_NE(r.err.find(std::string(name) + " in the data folder"), std::string::npos) << r.err;
                EXPECT_NE(r.err.find("symbolic link, which is never followed"), std::string::npos) << r.err;
            }
            const Target after = Snapshot(pointsAt);
            EXPECT_EQ(after.content, before.content);
            EXPECT_EQ(after.owner, before.owner);
            EXPECT_EQ(after.mode, before.mode);
            struct stat st {};
            EXPECT_EQ(lstat(link.c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link itself is left for the user to see";
            EXPECT_EQ(access(pointsAt.c_str(), F_OK) == 0, pointsAt != targets.File("dangling")) << "nothing made";
        }
    }
}

}  // namespace

// Who may use the data folder: the card's group shares it, everyone else is told how to
// join and writes nothing; a folder of the user's own is made private.
#include "support/CtlCommands.h"
#include "common/DataFolder.h"
#include "common/StringIds.h"
#include "support/StartupFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

struct stat Stat(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st;
}

size_t Entries(const std::string& folder) {
    size_t n = 0;
    DIR* dir = opendir(folder.c_str());
    while (dir != nullptr && readdir(dir) != nullptr) ++n;
    if (dir != nullptr) closedir(dir);
    return n - 2;
}

// Every command tells the outsider how to join; the window tells it in a box (a start
// from the menu shows no stderr), and the start at log-in, which the user did not ask
// for, stays quiet. Nothing is written.
TEST(DataFolderAccess, AUserOutsideTheGroupIsToldHowToJoinAndWritesNothing) {
    VR31K_THROWAWAY_USER(outsider);
    TempDir root;
    const std::string folder = MakeSharedFolder(root.Path());
    for (const auto& words : kFolderCommands) {
        const RunResult r = RunProgram(outsider.get(), CtlArgv(folder, words));
        EXPECT_EQ(r.status, 1) << words[0] << r.err;
        EXPECT_NE(r.err.find("shared by the group dialout, and you are not in it"), std::string::npos)
            << words[0] << ": " << r.err;
        EXPECT_NE(r.err.find("sudo adduser $USER dialout"), std::string::npos) << r.err;
    }
    const std::string locks = root.File("locks");
    mkdir(locks.c_str(), 0700);
    ASSERT_EQ(chown(locks.c_str(), outsider->Uid(), outsider->Gid()), 0);
    const auto start = [&](std::vector<std::string> args) {
        return RunInChild(outsider.get(), [&] {
            StartupEnvironment env;
            env.args = args;
            env.lockDir = locks;
            env.dataFolder = folder;
            env.user = CurrentUserIdentity();
            env.os = CurrentOsVersionRecord();
            ScriptedAppUi ui;
            CUtilityApp app(env);
            const bool runs = app.InitInstance(ui);
            if (args.empty()) {
                // Runs on, after one box that names the group and the command to join it.
                if (!runs || ui.boxes.shown.size() != 1) return 1;
                const auto& box = ui.boxes.shown[0];
                const std::vector<std::string> expected = {folder + "/", kDataGroup, outsider->Name(), kDataGroup};
                return box.text == ids::IDS_FOLDER_NOT_MEMBER_TEXT && box.args == expected ? 0 : 2;
            }
            return !runs && ui.boxes.shown.empty() && ui.windowsCreated == 0 ? 0 : 3;
        });
    };
    EXPECT_EQ(start({}), 0);
    EXPECT_EQ(start({"/AutoStart"}), 0);
    EXPECT_EQ(Entries(folder), 0u) << "nothing written";
}

TEST(DataFolderAccess, MembersShareTheFilesThroughTheGroup) {
    VR31K_THROWAWAY_USER(member, kDataGroup);
    TempDir root;
    const std::string folder = MakeSharedFolder(root.Path());
    const RunResult r = RunProgram(member.get(), CtlArgv(folder, kFolderCommands[0]));
    ASSERT_EQ(r.status, 0) << r.err;
    const struct stat st = Stat(folder + "/VR31KUTL.ini");
    EXPECT_EQ(st.st_mode & 07777, kSharedFileMode);
    EXPECT_EQ(st.st_gid, getgrnam(kDataGroup)->gr_gid);
    EXPECT_EQ(Stat(folder).st_mode & 07777, kSharedFolderMode) << "the folder is never loosened";
}

// A folder of the user's own: made private when missing; its files, the history and
// the rebuilt credential file included, shared with the group only where the folder
// gives its group read and write, and with no one else even where it is open to everyone
// (that is reported, and the folder keeps its mode).
TEST(DataFolderAccess, AFolderOfTheUsersOwnKeepsItsFilesPrivate) {
    const struct {
        mode_t folderMode;  // 0: the folder is missing and made
        mode_t fileMode;
    } cases[] = {{0, 0600}, {0700, 0600}, {0750, 0600}, {0755, 0600}, {0770, 0660}, {0775, 0660}, {0777, 0660}};
    for (const auto& c : cases) {
        TempDir root;
        const std::string folder = root.File("mine/data");
        if (c.folderMode != 0) {
            mkdir(root.File("mine").c_str(), 0700);
            mkdir(folder.c_str(), 0700);
            chmod(folder.c_str(), c.folderMode);
            // A phonebook without its credential file: the listing writes the table back.
            WriteFile(folder + "/VR31KUTL.pbk", "[apn.example]\nPhoneNumber=*99***1#\n");
        }
        for (const auto& words : kFolderCommands) {
            const RunResult r = RunProgram(nullptr, CtlArgv(folder, words));
            ASSERT_EQ(r.status, 0) << words[0] << ": " << r.err;
            EXPECT_EQ(r.err.find("is open to every local user") != std::string::npos, c.folderMode == 0777) << r.err;
        }
        EXPECT_EQ(Stat(folder).st_mode & 07777, c.folderMode != 0 ? c.folderMode : kPrivateFolderMode);
        std::vector<std::string> files = {"VR31KUTL.ini", "VR31KUTL.mdb"};
        if (c.folderMode != 0) files.push_back("VR31KUTL.dat");
        for (const std::string& file : files) {
            EXPECT_EQ(Stat(folder + "/" + file).st_mode & 07777, c.fileMode)
                << file << " in a folder of mode " << std::oct << c.folderMode;
        }
    }
}

// Root, told to use a folder that another user can change under it, writes nothing there:
// a link to it, or that user's folder itself when it is open to everyone.
TEST(DataFolderAccess, AFolderAnotherUserCanChangeIsRefused) {
    VR31K_THROWAWAY_USER(other);
    TempDir root;
    const std::string theirs = root.File("theirs");
    ASSERT_EQ(mkdir(theirs.c_str(), 0700), 0);
    ASSERT_EQ(chown(theirs.c_str(), other->Uid(), other->Gid()), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0777), 0);
    ASSERT_EQ(symlink(theirs.c_str(), root.File("link").c_str()), 0);
    const struct {
        std::string folder;
        const char* told;
    } cases[] = {{root.File("link"), "is a symbolic link"}, {theirs, "belongs to another user"}};
    for (const auto& c : cases) {
        const RunResult r = RunProgram(nullptr, CtlArgv(c.folder, kFolderCommands[0]));
        EXPECT_EQ(r.status, 1) << c.folder;
        EXPECT_NE(r.err.find(c.told), std::string::npos) << r.err;
    }
    EXPECT_EQ(Entries(theirs), 0u) << "nothing written";
}

}  // namespace

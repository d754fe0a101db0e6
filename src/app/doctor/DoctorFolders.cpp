// The data folder with its files and room, and the user's runtime folder.
#include "app/doctor/DoctorChecks.h"

#include "common/DataFolder.h"
#include "common/FileSystem.h"

#include <sys/statvfs.h>

namespace vr31k::doctor {

namespace {

constexpr const char* kInstallDataDir = "sudo packaging/install-datadir.sh (or scripts/setup.sh)";
constexpr unsigned long long kMiB = 1024 * 1024;

// False when the folder cannot be used or is not there (the file checks then say
// nothing more).
bool CheckDataFolder(Context& c, const std::string& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) {
        // Only root makes the machine's folder; a folder of the user's own is made at first use.
        if (c.in.machineFolder) {
            c.Add("data-folder", CheckStatus::Failed, "the data folder " + folder + " is missing", kInstallDataDir);
        } else {
            c.Add("data-folder", CheckStatus::Ok, "the data folder " + folder + " is made at first use (mode 0700)");
        }
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        c.Add("data-folder", CheckStatus::Failed,
              folder + (S_ISLNK(st.st_mode) ? " is a symbolic link, which is never followed" : " is not a folder"));
        return false;
    }
    const std::string owner = folder + " belongs to " + OwnerText(st);
    if (!MayUse(c.in.user, st, 07)) {
        const std::string group = GroupNameOf(st.st_gid);
        const Membership membership = MembershipOf(c.in.user, group);
        // In the group already: the folder's mode is what keeps this user out.
        c.Add("data-folder", CheckStatus::Failed, owner + "; you may not use it",
              membership != Membership::InSession ? JoinGroupFix(c.in.user, group, membership)
              : c.in.machineFolder                ? kInstallDataDir
                                                  : "");
        return false;
    }
    if ((st.st_mode & S_IRWXO) != 0) {
        c.Add("data-folder", CheckStatus::Failed, owner + ": open to every local user", kInstallDataDir);
    } else if (c.in.machineFolder && (st.st_uid != 0 || GroupNameOf(st.st_gid) != kDataGroup ||
                                      (st.st_mode & 07777) != kSharedFolderMode)) {
        c.Add("data-folder", CheckStatus::Warning, owner + ", not root:dialout 2770", kInstallDataDir);
    } else {
        c.Add("data-folder", CheckStatus::Ok, owner);
    }
    return true;
}

void CheckFile(Context& c, const std::string& id, const std::string& what, const std::string& path) {
    std::string ignored;
    const ReadResult read = ReadRegularFile(path, 1, ignored);
    if (read == ReadResult::Missing) {
        c.Add(id, CheckStatus::Ok, "no " + what + " yet (" + path + "); it is made when first written");
    } else if (read == ReadResult::Ok || read == ReadResult::TooLarge) {
        c.Add(id, CheckStatus::Ok, "the " + what + " " + path + " can be read");
    } else {
        c.Add(id, CheckStatus::Failed, "the " + what + " " + path + " cannot be read: " + FileErrorText(errno),
              kInstallDataDir);
    }
}

void CheckSpace(Context& c, const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0) {
        c.Add("disk-space", CheckStatus::Unknown, "the room left on " + folder + "'s file system cannot be read");
        return;
    }
    const unsigned long long free = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
    const std::string text = std::to_string(free / kMiB) + " MiB free on the data folder's file system";
    if (free < kMiB) {
        c.Add("disk-space", CheckStatus::Failed, text + ": nothing more can be recorded", "free some space");
    }
    else if (free < 64 * kMiB) c.Add("disk-space", CheckStatus::Warning, text, "free some space");
    else c.Add("disk-space", CheckStatus::Ok, text);
}

}  // namespace

void CheckFolders(Context& c) {
    std::string folder = c.in.dataFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const DataPaths paths = MakeDataPaths(folder);
    if (CheckDataFolder(c, folder)) {
        CheckFile(c, "history", "history", paths.history);
        CheckFile(c, "settings", "settings file", paths.settings);
        CheckSpace(c, folder);
    } else {
        for (const char* id : {"history", "settings", "disk-space"}) {
            c.Add(id, CheckStatus::Unknown, "the data folder cannot be used or is not there yet");
        }
    }
    if (c.in.runtimeFolder.empty()) {
        c.Add("runtime-folder", CheckStatus::Failed, "you have no runtime folder: " + c.in.runtimeProblem,
              "log in through the desktop, or set XDG_RUNTIME_DIR to a folder of your own, mode 0700");
    } else {
        c.Add("runtime-folder", CheckStatus::Ok, "your runtime folder is " + c.in.runtimeFolder);
    }
}

}  // namespace vr31k::doctor

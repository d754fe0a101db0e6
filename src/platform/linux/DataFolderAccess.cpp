#include "platform/DataFolderAccess.h"

#include "common/DataFolder.h"
#include "common/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vr31k {

namespace {

std::string Trimmed(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(65536);
    struct group gr {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &gr, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) return gr.gr_name;
    return std::to_string(gid);
}

// Whether this process carries the group (effective or supplementary).
bool ProcessHasGroup(gid_t gid) {
    if (getegid() == gid) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int n = getgroups(count, groups.data());
    for (int i = 0; i < n; ++i) {
        if (groups[static_cast<size_t>(i)] == gid) return true;
    }
    return false;
}

// Whether the user database lists this user in the group (a membership that a new
// login session would carry).
bool UserListedInGroup(gid_t gid) {
    std::vector<char> buffer(16384);
    struct passwd pw {};
    struct passwd* user = nullptr;
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &user) != 0 || user == nullptr) return false;
    if (pw.pw_gid == gid) return true;
    std::vector<char> groupBuffer(65536);
    struct group gr {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &gr, groupBuffer.data(), groupBuffer.size(), &found) != 0 || found == nullptr) return false;
    for (char** member = gr.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (std::strcmp(*member, pw.pw_name) == 0) return true;
    }
    return false;
}

DataFolderCheck Failed(std::string message) {
    DataFolderCheck check;
    check.state = DataFolderState::Failed;
    check.message = std::move(message);
    return check;
}

// The per-machine folder as root: root and the card users' group, setgid so every
// file made in it joins the group, no access for anyone else.
DataFolderCheck CreateMachineFolder(const std::string& folder) {
    const std::string parent = ParentFolder(folder);
    if (!MakeFolderPath(parent, 0755)) return Failed("cannot create " + parent + ": " + std::strerror(errno));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Failed("cannot create the data folder " + folder + ": " + std::strerror(errno));
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Failed("cannot open the data folder " + folder + ": " + std::strerror(errno));
    const struct group* group = getgrnam(kDataGroup);
    bool ok = fchown(fd, 0, group != nullptr ? group->gr_gid : 0) == 0 && fchmod(fd, kSharedFolderMode) == 0;
    const int error = errno;
    close(fd);
    if (!ok) {
        return Failed("cannot give the data folder " + folder + " to root:" + kDataGroup + ": " + std::strerror(error));
    }
    DataFolderCheck check;
    check.state = DataFolderState::Created;
    return check;
}

DataFolderCheck Create(const std::string& folder) {
    if (IsMachineDataFolder(folder)) {
        if (geteuid() == 0) return CreateMachineFolder(folder);
        return Failed("the data folder " + folder +
                      " is missing; the install step makes it (sudo packaging/install-datadir.sh, or "
                      "scripts/setup.sh)");
    }
    const std::string parent = ParentFolder(folder);
    if (!MakeFolderPath(parent, 0755) || (mkdir(folder.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST)) {
        return Failed("cannot create the data folder " + folder + ": " + std::strerror(errno));
    }
    DataFolderCheck check;
    check.state = DataFolderState::Created;
    return check;
}

// The first of the folder's names where a link is planted, or where the history engine
// (which opens by name) would meet anything but one plain file. Every open refuses these;
// this says so before any work begins. Other non-files fail where they are used.
std::string PlantedFile(const std::string& folder) {
    for (const char* name : kDataFileNames) {
        const bool history = std::string(name) == "VR31KUTL.mdb";
        std::vector<std::string> names = {name};
        if (history) {
            for (const char* side : kHistorySideSuffixes) names.push_back(name + std::string(side));
        }
        for (const std::string& file : names) {
            const std::string path = folder + "/" + file;
            const std::string problem = history               ? UnsafeFileProblem(path)
                                        : StatFile(path).link ? FileErrorText(ELOOP)
                                                              : std::string();
            if (!problem.empty()) {
                return file + " in the data folder " + folder + " cannot be used: " + problem + "; remove it";
            }
        }
    }
    return {};
}

}  // namespace

DataFolderCheck PrepareDataFolder(const std::string& path, bool create) {
    const std::string folder = Trimmed(path);
    if (folder.empty()) return Failed("the data folder must not be empty");
    struct stat st {};
    if (lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return Failed("the data folder " + folder +
                      " is a symbolic link, which is never followed; name the folder itself");
    }
    if (stat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT) return Failed("cannot use the data folder " + folder + ": " + std::strerror(errno));
        if (!create) {
            DataFolderCheck check;
            check.state = DataFolderState::Missing;
            return check;
        }
        return Create(folder);
    }
    if (!S_ISDIR(st.st_mode)) return Failed("the data folder " + folder + " is not a folder");

    DataFolderCheck check;
    if (access(folder.c_str(), R_OK | W_OK | X_OK) != 0) {
        const bool groupMayUse = (st.st_mode & S_IRWXG) == S_IRWXG;
        const std::string group = GroupName(st.st_gid);
        if (groupMayUse && !ProcessHasGroup(st.st_gid)) {
            check.state = DataFolderState::NotMember;
            check.group = group;
            check.joinedLater = UserListedInGroup(st.st_gid);
            if (check.joinedLater) {
                check.message = "the data folder " + folder + " is shared by the group " + group +
                                ", which you joined after this session began: log out and in again (or run "
                                "`newgrp " + group + "`)";
            } else {
                check.message = "the data folder " + folder + " is shared by the group " + group +
                                ", and you are not in it: run `sudo adduser $USER " + group +
                                "`, then log out and in again";
            }
            return check;
        }
        return Failed("cannot use the data folder " + folder + ": " + std::strerror(EACCES));
    }
    if (std::string planted = PlantedFile(folder); !planted.empty()) return Failed(std::move(planted));
    // Another user's folder open to everyone: whatever is written there, anyone may replace.
    if ((st.st_mode & S_IWOTH) != 0 && st.st_uid != geteuid() && st.st_uid != 0) {
        return Failed("the data folder " + folder + " belongs to another user and is open to every local user; " +
                      "name a folder of your own");
    }
    if ((st.st_mode & S_IWOTH) != 0) {
        check.warning = "the data folder " + folder + " is open to every local user; " +
                        (IsMachineDataFolder(folder)
                             ? std::string("the install step closes it to the group ") + kDataGroup +
                                   " (sudo packaging/install-datadir.sh)"
                             : "close it with `chmod 0700 " + folder + "`");
    }
    check.state = DataFolderState::Ready;
    return check;
}

}  // namespace vr31k

// The data folder with its files and room, and the user's runtime folder.
#include "doctor/DoctorChecks.h"

#include "common/DataFolder.h"
#include "common/FileSystem.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <sys/statvfs.h>

namespace vr31k::doctor {

using namespace ids;

namespace {

std::string InstallDataDir() { return std::string(LoadString(IDS_DOCTOR_FIX_INSTALL_DATADIR)); }
constexpr unsigned long long kMiB = 1024 * 1024;

// False when the folder cannot be used or is not there (the file checks then say
// nothing more).
bool CheckDataFolder(Context& c, const std::string& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) {
        // Only root makes the machine's folder; a folder of the user's own is made at first use.
        if (c.in.machineFolder) {
            c.Add("data-folder", CheckStatus::Failed, FormatString(IDS_DOCTOR_FOLDER_MISSING, {folder}),
                  InstallDataDir());
        } else {
            c.Add("data-folder", CheckStatus::Ok, FormatString(IDS_DOCTOR_FOLDER_FIRST_USE, {folder}));
        }
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        c.Add("data-folder", CheckStatus::Failed,
              FormatString(S_ISLNK(st.st_mode) ? IDS_DOCTOR_FOLDER_LINK : IDS_DOCTOR_FOLDER_NOT_FOLDER, {folder}));
        return false;
    }
    const std::string owner = OwnerText(st);
    if (!MayUse(c.in.user, st, 07)) {
        const std::string group = GroupNameOf(st.st_gid);
        const Membership membership = MembershipOf(c.in.user, group);
        // In the group already: the folder's mode is what keeps this user out.
        c.Add("data-folder", CheckStatus::Failed, FormatString(IDS_DOCTOR_FOLDER_NO_USE, {folder, owner}),
              membership != Membership::InSession ? JoinGroupFix(c.in.user, group, membership)
              : c.in.machineFolder                ? InstallDataDir()
                                                  : "");
        return false;
    }
    if ((st.st_mode & S_IRWXO) != 0) {
        c.Add("data-folder", CheckStatus::Failed, FormatString(IDS_DOCTOR_FOLDER_OPEN, {folder, owner}),
              InstallDataDir());
    } else if (c.in.machineFolder && (st.st_uid != 0 || GroupNameOf(st.st_gid) != kDataGroup ||
                                      (st.st_mode & 07777) != kSharedFolderMode)) {
        c.Add("data-folder", CheckStatus::Warning, FormatString(IDS_DOCTOR_FOLDER_NOT_SHARED, {folder, owner}),
              InstallDataDir());
    } else {
        c.Add("data-folder", CheckStatus::Ok, FormatString(IDS_DOCTOR_OWNER, {folder, owner}));
    }
    return true;
}

void CheckFile(Context& c, const std::string& id, int whatId, const std::string& path) {
    const std::string_view what = LoadString(whatId);
    std::string ignored;
    const ReadResult read = ReadRegularFile(path, 1, ignored);
    if (read == ReadResult::Missing) {
        c.Add(id, CheckStatus::Ok, FormatString(IDS_DOCTOR_FILE_NOT_YET, {what, path}));
    } else if (read == ReadResult::Ok || read == ReadResult::TooLarge) {
        c.Add(id, CheckStatus::Ok, FormatString(IDS_DOCTOR_FILE_OK, {what, path}));
    } else {
        c.Add(id, CheckStatus::Failed, FormatString(IDS_DOCTOR_FILE_UNREADABLE, {what, path, FileErrorText(errno)}),
              InstallDataDir());
    }
}

void CheckSpace(Context& c, const std::string& folder) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0) {
        c.Add("disk-space", CheckStatus::Unknown, FormatString(IDS_DOCTOR_SPACE_UNKNOWN, {folder}));
        return;
    }
    const unsigned long long free = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
    const std::string mib = std::to_string(free / kMiB);
    const std::string fix = FormatString(IDS_DOCTOR_FIX_FREE_SPACE, {});
    if (free < kMiB) c.Add("disk-space", CheckStatus::Failed, FormatString(IDS_DOCTOR_SPACE_FULL, {mib}), fix);
    else if (free < 64 * kMiB) c.Add("disk-space", CheckStatus::Warning, FormatString(IDS_DOCTOR_SPACE, {mib}), fix);
    else c.Add("disk-space", CheckStatus::Ok, FormatString(IDS_DOCTOR_SPACE, {mib}));
}

// What is kept off the card's link: a bad list keeps nothing off, which the user may not expect.
void CheckKeptOff(Context& c) {
    std::string problem;
    const std::optional<std::vector<std::string>> ids = c.in.keptOff(problem);
    if (!ids) {
        c.Add("kept-off", CheckStatus::Warning, FormatString(IDS_DOCTOR_BLOCK_BAD, {problem}),
              FormatString(IDS_DOCTOR_BLOCK_FIX, {}));
    } else if (ids->empty()) {
        c.Add("kept-off", CheckStatus::Ok, FormatString(IDS_DOCTOR_BLOCK_NONE, {}));
    } else {
        std::string names;
        for (const std::string& id : *ids) names += (names.empty() ? "" : ", ") + id;
        c.Add("kept-off", CheckStatus::Ok, FormatString(IDS_DOCTOR_BLOCK_LIST, {names}));
    }
}

}  // namespace

void CheckFolders(Context& c) {
    std::string folder = c.in.dataFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const DataPaths paths = MakeDataPaths(folder);
    if (CheckDataFolder(c, folder)) {
        CheckFile(c, "history", IDS_DOCTOR_WHAT_HISTORY, paths.history);
        CheckFile(c, "settings", IDS_DOCTOR_WHAT_SETTINGS, paths.settings);
        CheckSpace(c, folder);
        if (c.in.keptOff) CheckKeptOff(c);
    } else {
        for (const char* id : {"history", "settings", "disk-space"}) {
            c.Add(id, CheckStatus::Unknown, FormatString(IDS_DOCTOR_FOLDER_UNUSABLE, {}));
        }
    }
    if (c.in.runtimeFolder.empty()) {
        c.Add("runtime-folder", CheckStatus::Failed, FormatString(IDS_DOCTOR_RUNTIME_MISSING, {c.in.runtimeProblem}),
              FormatString(IDS_DOCTOR_FIX_RUNTIME, {}));
    } else {
        c.Add("runtime-folder", CheckStatus::Ok, FormatString(IDS_DOCTOR_RUNTIME_OK, {c.in.runtimeFolder}));
    }
}

}  // namespace vr31k::doctor

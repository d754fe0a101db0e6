#include "platform/RuntimeFolder.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

// Empty when `path` is a folder (not a link) of this user's that no one else may enter;
// else why not.
std::string NotPrivate(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return path + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
    if (st.st_uid != getuid()) return path + " belongs to another user";
    if ((st.st_mode & 077) != 0) return path + " is open to other users";
    return {};
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') return home;
    const struct passwd* pw = getpwuid(getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

// Without a session's runtime folder, a user other than root gets one made by mkdtemp
// below /tmp: its name cannot be guessed, so nobody can make it first. The home folder,
// which only the user may write, notes its name so that every process of the user finds
// the same one; a note naming anything but a private folder of this kind is replaced.
// The home folder's lock keeps two first processes from making two.
RuntimeFolder NotedTempFolder() {
    RuntimeFolder folder;
    const std::string home = HomeFolder();
    const std::string advice = "; set XDG_RUNTIME_DIR to a folder of yours closed to others";
    struct stat st {};
    if (home.empty() || lstat(home.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 022) != 0) {
        folder.reason = "no private runtime folder: the home folder " + home + " is not this user's alone" + advice;
        return folder;
    }
    const int homeFd = open(home.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (homeFd >= 0 && flock(homeFd, LOCK_EX | LOCK_NB) != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const std::string note = home + "/.vr31kctl-runtime";
    const std::string prefix = "/tmp/vr31kctl-" + std::to_string(getuid()) + "-";
    std::string noted;
    if (ReadWholeFile(note, 4096, noted) && !noted.empty() && noted.back() == '\n') noted.pop_back();
    if (noted.rfind(prefix, 0) == 0 && noted.find('/', prefix.size()) == std::string::npos &&
        NotPrivate(noted).empty()) {
        folder.path = noted;
    } else {
        std::string made = prefix + "XXXXXX";
        if (mkdtemp(made.data()) == nullptr) {
            folder.reason = "no private runtime folder: " + made + ": " + std::strerror(errno) + advice;
        } else if (const int error = WriteFileAtomically(note, made + "\n", 0600); error != 0) {
            rmdir(made.c_str());
            folder.reason = "no private runtime folder: " + note + ": " + FileErrorText(error) + advice;
        } else {
            folder.path = made;
        }
    }
    if (homeFd >= 0) close(homeFd);
    return folder;
}

}  // namespace

RuntimeFolder UserRuntimeFolder() {
    RuntimeFolder folder;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string uid = std::to_string(getuid());
    for (const std::string& candidate : {std::string(xdg != nullptr ? xdg : ""), "/run/user/" + uid}) {
        if (!candidate.empty() && candidate.front() == '/' && NotPrivate(candidate).empty()) {
            folder.path = candidate;
            return folder;
        }
    }
    if (getuid() != 0) return NotedTempFolder();
    // Only root writes /run: the name may be fixed. mkdir never follows a link at the
    // name, and what it finds already there is checked.
    const std::string own = "/run/vr31kctl-" + uid;
    if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        folder.reason = own + ": " + std::strerror(errno);
        return folder;
    }
    folder.reason = NotPrivate(own);
    if (folder.reason.empty()) folder.path = own;
    return folder;
}

}  // namespace vr31k

// The desktop step's files under /run: a link's state (what to undo, root's alone) and
// its report (what was done, for the doctor). The folder is root's, never a link; the
// files are read without following one and written whole.
#include "platform/linux/DesktopLinkParts.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <sstream>

namespace vr31k {

namespace {

// A link's two files hold a few short lines; anything larger is not ours.
constexpr std::size_t kMaxBytes = 16 * 1024;

constexpr std::array<const char*, 5> kResultIds = {"not-asked", "done", "nothing", "refused", "failed"};

// Made when missing; refused when it is a link, not a folder, or not root's alone to write.
std::string FolderProblem(const std::string& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 && errno == ENOENT) {
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return folder + ": " + FileErrorText(errno);
    }
    if (lstat(folder.c_str(), &st) != 0) return folder + ": " + FileErrorText(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (st.st_uid != geteuid() || (st.st_mode & 022) != 0) return folder + " may be written by others";
    return {};
}

}  // namespace

std::string WriteDesktopFile(const std::string& runFolder, const std::string& name, const DesktopKeys& keys,
                             mode_t mode) {
    if (std::string problem = FolderProblem(runFolder); !problem.empty()) return problem;
    std::string text;
    for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    const int error = WriteFileAtomically(runFolder + "/" + name, text, mode);
    return error == 0 ? std::string() : runFolder + "/" + name + ": " + FileErrorText(error);
}

std::optional<DesktopKeys> ReadDesktopFile(const std::string& runFolder, const std::string& name) {
    std::string text;
    if (!ReadWholeFile(runFolder + "/" + name, kMaxBytes, text)) return std::nullopt;
    DesktopKeys keys;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

void RemoveDesktopFile(const std::string& runFolder, const std::string& name) {
    unlink((runFolder + "/" + name).c_str());
}

const char* DesktopResultId(DesktopResult result) { return kResultIds.at(static_cast<std::size_t>(result)); }

DesktopResult DesktopResultFromId(const std::string& id) {
    for (std::size_t i = 0; i < kResultIds.size(); ++i) {
        if (id == kResultIds[i]) return static_cast<DesktopResult>(i);
    }
    return DesktopResult::Failed;
}

}  // namespace vr31k

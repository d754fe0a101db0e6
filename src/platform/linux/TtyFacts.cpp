#include "platform/linux/TtyFacts.h"

#include "common/FileSystem.h"
#include "platform/linux/ProcessTable.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace vr31k {

TtyLock ReadTtyLock(const std::string& lockDir, const std::string& port, const std::string& procRoot) {
    TtyLock lock;
    lock.path = lockDir + "/LCK.." + port.substr(port.rfind('/') + 1);
    std::string text;
    const ReadResult read = ReadRegularFile(lock.path, 64, text);
    if (read == ReadResult::Missing) return lock;
    // pppd writes the pid as text, some diallers as a binary int; both are read.
    lock.pid = std::atoi(text.c_str());
    if (lock.pid <= 0 && text.size() == sizeof(int)) std::memcpy(&lock.pid, text.data(), sizeof(int));
    if (read != ReadResult::Ok || lock.pid <= 0) {
        lock.kind = TtyLock::Kind::Unreadable;
        return lock;
    }
    const auto process = ProcessOf(procRoot, lock.pid);
    if (!process) {
        lock.kind = TtyLock::Kind::Stale;
        return lock;
    }
    // A dialler may hold the lock a moment before it opens the tty or after it closed it.
    static constexpr std::string_view kDiallers[] = {"pppd", "chat", "wvdial", "minicom", "picocom", "cu"};
    const int holds = ProcessHoldsFile(procRoot, lock.pid, CanonicalPath(port));
    if (holds == 1 || std::find(std::begin(kDiallers), std::end(kDiallers), process->name) != std::end(kDiallers)) {
        lock.kind = TtyLock::Kind::Live;
    } else {
        lock.kind = holds == 0 ? TtyLock::Kind::Foreign : TtyLock::Kind::Unseen;
    }
    return lock;
}

std::optional<std::string> UdevProperty(const std::string& udevDataDir, dev_t rdev, std::string_view key) {
    std::string text;
    const std::string file = udevDataDir + "/c" + std::to_string(major(rdev)) + ":" + std::to_string(minor(rdev));
    if (!ReadWholeFile(file, 1 << 16, text)) return std::nullopt;
    std::istringstream lines(text);
    const std::string wanted = "E:" + std::string(key) + "=";
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(wanted, 0) == 0) return line.substr(wanted.size());
    }
    return std::nullopt;
}

}  // namespace vr31k

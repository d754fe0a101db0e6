#include "platform/linux/DiallerProcess.h"

#include "common/FileSystem.h"

#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace vr31k {

namespace {

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

}  // namespace

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    return ParentFolder(path);
}

bool ProcessAlive(int pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

std::vector<std::string> ProcessArguments(int pid) {
    std::string raw;
    std::vector<std::string> args;
    if (!ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline", 1 << 16, raw)) return args;
    size_t start = 0;
    while (start < raw.size()) {
        const size_t end = raw.find('\0', start);
        args.push_back(raw.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return args;
}

// The tty a dialler process works on: a /dev/ argument; else the UUCP lock file that
// holds its pid (pppd's "lock", readable by everyone, the only source when the tty
// came from an options file and the process is another user's); else an open
// descriptor on a tty (readable only for our own processes or as root).
std::string ProcessPort(int pid, const std::vector<std::string>& args, const std::string& lockDir) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("/dev/", 0) == 0) return args[i];
    }
    if (DIR* locks = opendir(lockDir.c_str())) {
        std::string port;
        while (const dirent* entry = readdir(locks)) {
            const std::string name = entry->d_name;
            if (name.rfind("LCK..", 0) != 0) continue;
            std::string text;
            if (ReadWholeFile(lockDir + "/" + name, 64, text) && std::atoi(text.c_str()) == pid) {
                port = "/dev/" + name.substr(5);
                break;
            }
        }
        closedir(locks);
        if (!port.empty()) return port;
    }
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(fdDir.c_str());
    if (dir == nullptr) return {};
    std::string port;
    while (const dirent* entry = readdir(dir)) {
        char target[PATH_MAX];
        const std::string link = fdDir + "/" + entry->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (std::strncmp(target, "/dev/tty", 8) == 0 || std::strncmp(target, "/dev/pts/", 9) == 0) {
            port = target;
            break;
        }
    }
    closedir(dir);
    return port;
}

std::vector<DialDevice> ListSerialModems(const std::string& ttySysRoot) {
    std::vector<DialDevice> found;
    DIR* dir = opendir(ttySysRoot.c_str());
    if (dir == nullptr) return found;
    while (const dirent* entry = readdir(dir)) {
        const std::string tty = entry->d_name;
        if (tty.rfind("ttyACM", 0) != 0 && tty.rfind("ttyUSB", 0) != 0) continue;
        // The USB device two levels above the interface carries the names.
        std::string product, maker;
        const std::string usb = ttySysRoot + "/" + tty + "/device/../";
        ReadWholeFile(usb + "product", 256, product);
        ReadWholeFile(usb + "manufacturer", 256, maker);
        product = Trimmed(product);
        maker = Trimmed(maker);
        std::string name = maker.empty() ? product : product.empty() ? maker : maker + " " + product;
        if (name.empty()) name = "Serial modem";
        found.push_back({"modem", name + " (" + tty + ")", "/dev/" + tty});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const DialDevice& a, const DialDevice& b) { return a.port < b.port; });
    return found;
}

uint64_t ProcessStartTicks(int pid, const std::string& procRoot) {
    std::string stat;
    if (pid <= 0 || !ReadWholeFile(procRoot + "/" + std::to_string(pid) + "/stat", 4096, stat)) return 0;
    // The command name in parentheses may hold spaces and parentheses: fields count
    // from the last ')'; the start time is field 22, the 20th after it.
    size_t at = stat.rfind(')');
    for (int field = 0; at != std::string::npos && field < 20; ++field) at = stat.find(' ', at + 1);
    return at == std::string::npos ? 0 : std::strtoull(stat.c_str() + at + 1, nullptr, 10);
}

std::chrono::milliseconds ProcessAge(int pid) {
    const uint64_t ticks = ProcessStartTicks(pid);
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec now {};
    if (ticks == 0 || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return {};
    const int64_t nowMs = int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
    const int64_t startMs = static_cast<int64_t>(ticks * 1000 / static_cast<uint64_t>(perSecond));
    return std::chrono::milliseconds(nowMs > startMs ? nowMs - startMs : 0);
}

}  // namespace vr31k

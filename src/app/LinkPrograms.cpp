#include "app/LinkPrograms.h"

#include "accounting/UsageSpool.h"
#include "common/FileSystem.h"
#include "common/UniqueFd.h"
#include "platform/linux/DesktopEntries.h"
#include "platform/linux/LinkIdentity.h"
#include "platform/linux/ProcessTable.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <net/if.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr auto kReaderStopWait = std::chrono::seconds(3);

std::string ReaderPath() {
    return ParentFolder(CanonicalPath("/proc/self/exe")) + "/" + kProgramReaderName;
}

// Starts the reader in a session of its own with nothing of ours open: pppd's ip-up (and
// whatever reads its output) does not wait for it.
bool StartReader(const CountedLink& link) {
    const std::string path = ReaderPath();
    const std::string index = std::to_string(link.index), start = std::to_string(link.start);
    const char* argv[] = {path.c_str(), link.dataFolder.c_str(), link.interfaceName.c_str(), link.tty.c_str(),
                          link.boot.c_str(), index.c_str(), start.c_str(), nullptr};
    const char* envp[] = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", nullptr};
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (setsid() < 0 || fork() != 0) _exit(0);
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
        closefrom(3);
        execve(path.c_str(), const_cast<char* const*>(argv), const_cast<char* const*>(envp));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return access(path.c_str(), X_OK) == 0;
}

bool Running(int pid) {
    const auto entry = ProcessOf("/proc", pid);
    std::string stat;
    return entry && ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", 4096, stat) &&
           stat.find(") Z") == std::string::npos;
}

// Ends the link's reader (root's, running our reader program for this link) and waits a
// bounded time for its final figures; false when none ran.
bool StopReader(const CountedLink& link) {
    const std::string path = ReaderPath(), index = std::to_string(link.index);
    bool stopped = false;
    for (const ProcessEntry& p : ProcessesNamed("/proc", std::string(kProgramReaderName).substr(0, 15))) {
        std::string cmdline;
        const std::string proc = "/proc/" + std::to_string(p.pid);
        if (p.uid != 0 || CanonicalPath(proc + "/exe") != path || !ReadWholeFile(proc + "/cmdline", 8192, cmdline) ||
            cmdline.find(std::string(1, '\0') + link.boot + '\0' + index + '\0') == std::string::npos) {
            continue;
        }
        kill(p.pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kReaderStopWait;
        while (Running(p.pid) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (Running(p.pid)) kill(p.pid, SIGKILL);
        stopped = true;
    }
    return stopped;
}

// The link's final record, when its reader wrote it.
bool FinalWritten(const CountedLink& link) {
    UniqueFd spool{OpenSpoolFolder(link.dataFolder, false, 0)};
    std::string problem;
    const auto record = spool.fd < 0 ? std::nullopt
                                     : ReadProgramUsageRecord(spool.fd, ProgramRecordName(link.boot, link.index), problem);
    return record && record->final;
}

CountedLink LinkOf(const ProgramsLinkInput& in) {
    const LinkIdentity identity = LinuxLinkIdentifier()(in.interfaceName);
    return {in.dataFolder, in.interfaceName, in.tty, identity.boot, identity.index, in.now, CgroupV2Root(),
            SystemApplicationFolders()};
}

// Why the link cannot be counted, "" when it can.
std::string Uncountable(const CountedLink& link) {
    if (link.index == 0) return "there is no interface " + link.interfaceName + ": nothing is counted per program";
    if (link.cgroupRoot.empty()) return "no cgroup v2 file system is mounted: nothing is counted per program";
    return {};
}

}  // namespace

int StartLinkPrograms(const ProgramsLinkInput& in, std::ostream& err) {
    const CountedLink link = LinkOf(in);
    if (const std::string why = Uncountable(link); !why.empty()) {
        err << "programs: " << why << "\n";
        return link.index == 0 ? 0 : 2;
    }
    RemoveGoneProgramTables([](int64_t index) {
        char name[IF_NAMESIZE];
        return if_indextoname(static_cast<unsigned>(index), name) != nullptr;
    });
    if (std::string error = SetUpProgramTable(link.interfaceName, link.index); !error.empty()) {
        err << "programs: the link's counting could not be set up: " << error << "\n";
        return 2;
    }
    ProgramCounting counting(link);
    int status = 0;
    for (const std::string& problem : {counting.Refresh(ListCgroups(link.cgroupRoot)), counting.Save(false, in.now)}) {
        if (!problem.empty()) err << "programs: " << problem << "\n", status = 2;
    }
    if (!StartReader(link)) err << "programs: the reader " << ReaderPath() << " could not be started\n", status = 2;
    return status;
}

int EndLinkPrograms(const ProgramsLinkInput& in, std::ostream& err) {
    const CountedLink link = LinkOf(in);
    if (const std::string why = Uncountable(link); !why.empty()) {
        err << "programs: " << why << "\n";
        return 0;
    }
    if (StopReader(link) && FinalWritten(link)) return RemoveProgramTable(link.index).empty() ? 0 : 2;
    // No reader (killed): the figures as they are now, named from the tree as it is.
    ProgramCounting counting(link);
    counting.Refresh(ListCgroups(link.cgroupRoot));
    const std::string saved = counting.Save(true, in.now);
    const std::string removed = RemoveProgramTable(link.index);
    for (const std::string* problem : {&saved, &removed}) {
        if (!problem->empty()) err << "programs: " << *problem << "\n";
    }
    return saved.empty() && removed.empty() ? 0 : 2;
}

}  // namespace vr31k

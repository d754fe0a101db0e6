#pragma once
// One link's per-program counting as the root side keeps it: the kernel's table
// (platform/linux/ProgramTable.h) read and named program by program into the link's
// record in the spool, and the programs kept off the link kept off as their cgroups
// appear. The ip-up hook, the reader for the link's lifetime and the ip-down hook each
// hold one; the reader's knows every cgroup seen since the link came up.
#include "accounting/ProgramBlockList.h"
#include "accounting/ProgramUsageRecord.h"
#include "platform/linux/Cgroups.h"
#include "platform/linux/ProgramTable.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vr31k {

struct CountedLink {
    std::string dataFolder;
    std::string interfaceName;
    std::string tty;
    std::string boot;
    int64_t index = 0;
    int64_t start = 0;       // Unix seconds
    std::string cgroupRoot;  // the cgroup v2 mount
    std::vector<std::string> applicationFolders;  // where desktop entries are looked up
};

class ProgramCounting {
public:
    explicit ProgramCounting(CountedLink link) : m_link(std::move(link)) {}
    // Takes in the tree's folders (as listed now) and the block list as it is now: the
    // list's programs' cgroups are kept off the link. "" or what went wrong (a bad list
    // keeps nothing off).
    std::string Refresh(const std::vector<CgroupFolder>& folders);
    // Reads the kernel's counters and replaces the link's record with them. "" or what
    // went wrong; errno ENOENT when the link's table is gone.
    std::string Save(bool final, int64_t now);

private:
    std::vector<std::string> ProcessNames(const std::string& unitPath);

    CountedLink m_link;
    std::map<uint64_t, std::string> m_paths;                      // every cgroup seen, gone ones too
    std::map<std::string, std::set<std::string>> m_processNames;  // per unit folder, every name seen
    std::set<BlockedCgroup> m_blocked;
};

}  // namespace vr31k

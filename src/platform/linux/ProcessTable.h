#pragma once
// Processes as /proc shows them: who has a file open, who runs under a name. The root
// is a parameter so tests can build a tree of their own. Descriptors of other users'
// processes can be read only as root; a scan says when it could not see them all.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct ProcessEntry {
    int pid = 0;
    std::string name;  // comm
    long uid = -1;     // the real uid, -1 when unknown
};

struct ProcessScan {
    std::vector<ProcessEntry> found;
    bool complete = true;  // false: some processes' descriptors could not be read
};

// The processes with a descriptor on `path` (compared with the links' text, so the
// path should be the device's own name, links resolved), `self` left out, and so is
// the server of a pseudo-terminal (it holds the master side too).
ProcessScan ProcessesHoldingFile(const std::string& procRoot, const std::string& path, int self);
// Whether the process `pid` has a descriptor on `path`, by the same rule: 1 it has, 0 it
// has not (or has gone), -1 its descriptors cannot be read.
int ProcessHoldsFile(const std::string& procRoot, int pid, const std::string& path);
std::vector<ProcessEntry> ProcessesNamed(const std::string& procRoot, std::string_view name);
std::optional<ProcessEntry> ProcessOf(const std::string& procRoot, int pid);
// The user's name for a uid, else the number as text.
std::string UserNameOf(long uid);

}  // namespace vr31k

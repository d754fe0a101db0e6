#pragma once
// The root side of per-program counting for a link over the card, as pppd's hooks and
// the reader they start run it (Linux: nftables, the cgroup v2 tree, /proc). At ip-up the
// link's counting is set up (the kernel's table, the programs kept off the link, the
// first record) and a reader is started for the link's lifetime (kProgramReaderName,
// detached: ip-up does not wait for it); at ip-down the reader is stopped, the final
// figures written and the table removed.
#include "app/ProgramCounting.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace vr31k {

inline constexpr const char* kProgramReaderName = "vr31k-program-reader";

struct ProgramsLinkInput {
    std::string dataFolder;
    std::string interfaceName;
    std::string tty;
    int64_t now = 0;  // Unix seconds
};

// Each: 0 done (or nothing to count: no such interface), 2 failed and said why on `err`.
int StartLinkPrograms(const ProgramsLinkInput& in, std::ostream& err);
int EndLinkPrograms(const ProgramsLinkInput& in, std::ostream& err);

// The reader's life: keeps the programs kept off the link off as their cgroups appear and
// writes the figures every 10 s, and a last time, final, on SIGTERM or when the
// interface is gone. Returns the program's status.
int RunProgramReader(CountedLink link);

}  // namespace vr31k

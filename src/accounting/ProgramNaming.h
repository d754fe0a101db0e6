#pragma once
// Which program a cgroup's traffic counts for, by systemd's naming of its units: the
// nearest unit folder at or above the cgroup (a service's own sub-cgroups count for the
// service). A service is counted by its unit; a desktop application's scope or service
// ("app[-<launcher>]-<ApplicationID>-<RANDOM>.scope", "…[@<RANDOM>].service", the id
// escaped as systemd escapes) by its desktop entry, when one is installed; another scope
// by the names of the processes seen in it; anything else is Other.
#include "accounting/ProgramUsageRecord.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct ProgramNamingFacts {
    // The desktop entry's Name for an id ("firefox.desktop"); "" when there is no entry.
    std::function<std::string(const std::string& desktopId)> desktopName;
    // The names of the processes seen in the cgroup at a path (relative to the root).
    std::function<std::vector<std::string>(const std::string& cgroupPath)> processNames;
    std::string otherName;  // what Other is called
};

// The unit folder that `cgroupPath` ("/system.slice/foo.service/sub") counts for, "" for
// none: the path up to and with the deepest ".service" or ".scope" component.
std::string ProgramUnitPath(std::string_view cgroupPath);
// The desktop entry id a unit name stands for by systemd's app naming, "" when none.
std::string DesktopIdOfUnit(std::string_view unitName);
// The program (kind, id, name; figures zero) the cgroup's traffic counts for.
ProgramUsage ProgramOfCgroup(std::string_view cgroupPath, const ProgramNamingFacts& facts);

}  // namespace vr31k

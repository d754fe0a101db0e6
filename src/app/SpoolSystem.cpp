#include "app/SpoolSystem.h"

#include "common/FileSystem.h"

#include <cstdlib>

namespace vr31k {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

int64_t InterfaceIndex(const std::string& sysNetRoot, const std::string& name) {
    std::string text;
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == ".." ||
        !ReadWholeFile(sysNetRoot + "/" + name + "/ifindex", 32, text)) {
        return 0;
    }
    return std::atoll(text.c_str());
}

}  // namespace

uint64_t ProcessStartTicks(int pid, const std::string& procRoot) {
    std::string stat;
    if (pid <= 0 || !ReadWholeFile(procRoot + "/" + std::to_string(pid) + "/stat", 4096, stat)) return 0;
    // The command name in parentheses may hold spaces and parentheses: fields count
    // from the last ')'; the start time is field 22, the 20th after it.
    size_t at = stat.rfind(')');
    for (int field = 0; at != std::string::npos && field < 20; ++field) at = stat.find(' ', at + 1);
    return at == std::string::npos ? 0 : std::strtoull(stat.c_str() + at + 1, nullptr, 10);
}

SpoolSystem LinuxSpoolSystem(const std::string& procRoot, const std::string& sysNetRoot) {
    std::string boot;
    ReadWholeFile(procRoot + "/sys/kernel/random/boot_id", 64, boot);
    boot = Trimmed(boot);
    SpoolSystem system;
    system.ownerRunning = [procRoot, boot](const UsageRecord& record) {
        return record.boot == boot && record.ownerStart != 0 &&
               ProcessStartTicks(record.ownerPid, procRoot) == record.ownerStart;
    };
    system.linkUp = [sysNetRoot, boot](const UsageRecord& record) {
        return record.boot == boot && record.interfaceIndex != 0 &&
               InterfaceIndex(sysNetRoot, record.interfaceName) == record.interfaceIndex;
    };
    system.identifyLink = [sysNetRoot, boot](UsageRecord& record) {
        record.boot = boot;
        record.interfaceIndex = InterfaceIndex(sysNetRoot, record.interfaceName);
    };
    return system;
}

}  // namespace vr31k

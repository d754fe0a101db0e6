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

SpoolSystem LinuxSpoolSystem(const std::string& procRoot, const std::string& sysNetRoot) {
    std::string boot;
    ReadWholeFile(procRoot + "/sys/kernel/random/boot_id", 64, boot);
    boot = Trimmed(boot);
    SpoolSystem system;
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

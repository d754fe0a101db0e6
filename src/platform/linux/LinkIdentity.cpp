#include "platform/linux/LinkIdentity.h"

#include "common/FileSystem.h"
#include "platform/linux/NetLinks.h"

namespace vr31k {

LinkIdentifier LinuxLinkIdentifier(const std::string& procRoot, const std::string& sysNetRoot) {
    std::string boot;
    ReadWholeFile(procRoot + "/sys/kernel/random/boot_id", 64, boot);
    while (!boot.empty() && (boot.back() == '\n' || boot.back() == ' ')) boot.pop_back();
    return [boot, sysNetRoot](const std::string& interfaceName) {
        return LinkIdentity{boot, InterfaceIndex(sysNetRoot, interfaceName)};
    };
}

}  // namespace vr31k

#include "platform/linux/OtherDiallers.h"

#include "common/FileSystem.h"
#include "platform/linux/DiallerProcess.h"
#include "platform/linux/NetLinks.h"

#include <algorithm>
#include <cstdlib>

namespace vr31k {

std::vector<ConnectionInfo> FindOtherDiallerLinks(
    const OtherDiallerRoots& roots, const std::vector<std::string>& ours,
    const std::function<std::string(const std::string& port, std::string& type)>& deviceOfPort) {
    std::vector<ConnectionInfo> result;
    for (const NetLink& link : ListPppLinks(roots.sysNetRoot)) {
        if (std::find(ours.begin(), ours.end(), link.name) != ours.end() || !link.up) continue;
        ConnectionInfo info;
        info.interfaceName = link.name;
        info.state = dialstate::kConnected;
        std::string pidText;
        if (ReadWholeFile(roots.runDir + "/" + link.name + ".pid", 64, pidText)) {
            info.pid = std::atoi(pidText.c_str());
            if (!ProcessAlive(info.pid)) info.pid = 0;
        }
        std::vector<std::string> args;
        if (info.pid > 0) {
            args = ProcessArguments(info.pid);
            info.port = ProcessPort(info.pid, args, roots.lockDir);
            info.handle = static_cast<ConnHandle>(info.pid);
        } else {
            info.handle = kInterfaceHandleTag | static_cast<ConnHandle>(InterfaceIndex(roots.sysNetRoot, link.name));
        }
        info.deviceName = deviceOfPort(info.port, info.deviceType);
        // The other dialler's peer name stands in for an entry name when it used one.
        info.entryName = link.name;
        for (size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "call") info.entryName = args[i + 1];
        }
        result.push_back(std::move(info));
    }
    return result;
}

}  // namespace vr31k

#pragma once
// The pieces of the desktop step (DesktopLink.cpp composes them): NetworkManager's
// external connection changed and put back, systemd-resolved's servers for a link,
// resolvconf's record, and the step's files under /run.
#include "platform/linux/DesktopLink.h"

#include <systemd/sd-bus.h>

#include <map>
#include <optional>

namespace vr31k {

// What is changed on NetworkManager's connection for the link, and what was there
// before (to be put back).
struct NmLinkValues {
    std::optional<int32_t> metered;            // connection.metered (NMMetered)
    std::optional<std::vector<uint32_t>> dns;  // ipv4.dns, addresses in network order
};
struct NmLinkHold {
    std::string connection;  // the settings connection's object path
    std::string uuid;        // its uuid: a connection made anew at the same path is not ours
    std::string device;      // the device's path, for a Reapply of the servers
    uint32_t updateFlags = 0;
    NmLinkValues before;  // the values as they were, for the ones changed
};

// The external connection NetworkManager made for `interface` gets `wanted` (in memory,
// never on disk); `hold` then says what to put back. A profile of the user's own on the
// device is left alone (Nothing).
DesktopResult NmApply(sd_bus* bus, const std::string& interface, const NmLinkValues& wanted, NmLinkHold& hold,
                      std::string& why, std::chrono::milliseconds limit, std::chrono::milliseconds deviceWait);
// Puts back what `hold` says, when the connection is still the one changed.
DesktopResult NmRestore(sd_bus* bus, const NmLinkHold& hold, std::string& why, std::chrono::milliseconds limit);

// systemd-resolved: the link's servers, and every name routed to it ("~."); RevertLink.
DesktopResult ResolvedSetLink(sd_bus* bus, int ifindex, const std::vector<std::string>& servers, std::string& why,
                              std::chrono::milliseconds limit);
DesktopResult ResolvedRevertLink(sd_bus* bus, int ifindex, std::string& why, std::chrono::milliseconds limit);

// `resolvconf -a NAME` with the servers as nameserver lines, `resolvconf -d NAME`; the
// program gets a bounded time and a plain environment.
DesktopResult ResolvconfAdd(const std::string& program, const std::string& record,
                            const std::vector<std::string>& servers, std::string& why);
DesktopResult ResolvconfDelete(const std::string& program, const std::string& record, std::string& why);

// The step's files: key=value lines, bounded, under a folder that is root's and no link.
using DesktopKeys = std::map<std::string, std::string>;
// "" or why the state cannot be kept; the folder is made when missing.
std::string WriteDesktopFile(const std::string& runFolder, const std::string& name, const DesktopKeys& keys,
                             mode_t mode);
std::optional<DesktopKeys> ReadDesktopFile(const std::string& runFolder, const std::string& name);
void RemoveDesktopFile(const std::string& runFolder, const std::string& name);

const char* DesktopResultId(DesktopResult result);
DesktopResult DesktopResultFromId(const std::string& id);

}  // namespace vr31k

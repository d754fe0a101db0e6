#pragma once
// What the desktop's network services say about a link, asked over the system bus within
// a bound (platform/SystemBus.h): NetworkManager's metered state and systemd-resolved's
// name servers for an interface. The link hook asks as root, the doctor as the user;
// nothing here changes anything (platform/linux/DesktopLink.h does).
#include "platform/SystemBus.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vr31k {

// NetworkManager's NMMetered, as its Metered properties carry it.
enum class NmMetered : uint32_t { Unknown = 0, Yes = 1, No = 2, GuessYes = 3, GuessNo = 4 };

inline bool IsMetered(NmMetered value) { return value == NmMetered::Yes || value == NmMetered::GuessYes; }

// How a question to one service on the bus went.
struct BusAsk {
    BusReach reach = BusReach::Unreachable;  // Ready: the bus answered within the bound
    bool running = false;                    // the service owns its name on the bus
    // Why a call failed (the service's error name and text, escaped and bounded); empty
    // when every call went through.
    std::string error;
};

struct NetworkManagerView : BusAsk {
    NmMetered global = NmMetered::Unknown;  // the manager's Metered: its primary connection's
    bool hasDevice = false;                 // it lists a device for the interface
    std::string devicePath;                 // that device's object path
    NmMetered device = NmMetered::Unknown;  // that device's Metered
};

// NetworkManager as it sees `interface` (empty: the global value only). Connects within
// `limit` and gives each call as long.
NetworkManagerView LookAtNetworkManager(const std::string& interface,
                                        std::chrono::milliseconds limit = kSystemBusAnswerTime);

struct ResolvedLinkView : BusAsk {
    bool hasLink = false;              // resolved knows the interface index
    std::vector<std::string> servers;  // the link's DNS servers ("10.0.0.1", "fd00::1")
    std::vector<std::string> domains;  // its search and routing domains ("~." routes all)
    bool defaultRoute = false;         // the link's DefaultRoute: it takes names no domain claims
};

// systemd-resolved's view of the interface with index `ifindex`, bounded as above.
ResolvedLinkView LookAtResolvedLink(int ifindex, std::chrono::milliseconds limit = kSystemBusAnswerTime);

}  // namespace vr31k

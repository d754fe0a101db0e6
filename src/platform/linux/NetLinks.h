#pragma once
// The network interfaces a dial-up link shows up as, read from sysfs under a root that
// tests may point elsewhere, and a watch on rtnetlink's link events.
#include "platform/DialupService.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

struct NetLink {
    std::string name;
    bool up = false;
};

// Interfaces whose name begins with "ppp" (pppd's and the simulated link's).
std::vector<NetLink> ListPppLinks(const std::string& sysNetRoot);
bool LinkExists(const std::string& sysNetRoot, const std::string& name);
// The interface's index; 0 when there is no such interface (or the name is no name).
int64_t InterfaceIndex(const std::string& sysNetRoot, const std::string& name);
// Byte counters of the interface; nullopt when it is gone or unreadable.
struct LinkCounters {
    uint64_t txBytes = 0;
    uint64_t rxBytes = 0;
};
std::optional<LinkCounters> ReadLinkCounters(const std::string& sysNetRoot, const std::string& name);

// One watcher's wake-up state: rtnetlink socket plus an eventfd for explicit wakes.
class LinkWatch final : public IConnectionWatch {
public:
    LinkWatch();
    ~LinkWatch() override;
    LinkWatch(const LinkWatch&) = delete;
    LinkWatch& operator=(const LinkWatch&) = delete;

    bool Ok() const { return m_wakeFd >= 0; }
    Result Wait(int timeoutMs) override;
    void Wake(unsigned bits) override;
    // The service calls this when one of its own dials changes state.
    void NoteChange();

private:
    bool DrainNetlink();
    int m_netlinkFd = -1;
    int m_wakeFd = -1;
    std::atomic<unsigned> m_bits{0};
    std::atomic<bool> m_changed{false};
};

}  // namespace vr31k

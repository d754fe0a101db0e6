#pragma once
// A TUN interface standing in for a ppp interface: created under a "ppp%d" name, given
// a point-to-point address pair, and able to move traffic both ways on request.
#include <cstddef>
#include <string>

namespace vr31k::sim {

class TunDevice {
public:
    TunDevice() = default;
    ~TunDevice();
    TunDevice(const TunDevice&) = delete;
    TunDevice& operator=(const TunDevice&) = delete;

    // `pattern` may hold "%d" (the kernel picks the number). False with errno set when
    // this process may not create interfaces (no CAP_NET_ADMIN).
    bool Create(const std::string& pattern);
    // Sets local and peer IPv4 addresses and brings the interface up.
    bool Configure(const std::string& local, const std::string& peer);
    // Makes the interface the default route as pppd's `defaultroute` does: only where
    // there is none (a machine's own is never displaced). False when one was there or
    // the route could not be added.
    bool TakeDefaultRoute();
    // Counts as received on the interface: UDP datagrams from the peer, `bytes` in all.
    size_t Receive(size_t bytes);
    // Counts as sent: UDP datagrams to the peer through the interface, read back off it.
    size_t Send(size_t bytes);
    // Reads and drops what the system sent through the interface; returns bytes read.
    size_t Drain();
    void Close();

    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }

private:
    int m_fd = -1;
    int m_udp = -1;
    std::string m_name;
    unsigned m_local = 0;  // network byte order
    unsigned m_peer = 0;
};

}  // namespace vr31k::sim

#pragma once
// A throw-away system bus: dbus-daemon with a system-type configuration in a temporary
// folder, and python3-dbusmock services on it (a template, or a bare object that the
// test fills through the mock's org.freedesktop.DBus.Mock interface). Programs find it
// through DBUS_SYSTEM_BUS_ADDRESS.
#include "support/TempDir.h"

#include <sys/types.h>
#include <systemd/sd-bus.h>

#include <string>
#include <vector>

namespace vr31k::test {

class PrivateSystemBus {
public:
    // Starts the bus. Check SkipReason() and Error() afterwards; `withDbusmock`: the
    // test needs python3-dbusmock too.
    explicit PrivateSystemBus(bool withDbusmock = true);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // Why the test cannot run here (a tool missing); empty when all is well.
    const std::string& SkipReason() const { return m_skip; }
    // What went wrong starting the bus or a mock; empty when all is well.
    const std::string& Error() const { return m_error; }
    const std::string& Address() const { return m_address; }

    // Starts `python3 -m dbusmock --system ARGS` and waits until it owns `name`.
    bool StartMock(const std::vector<std::string>& args, const std::string& name);
    // Ends the mocks started so far.
    void StopMocks();
    // Stops the daemon as a hung one is: connections are taken, and never answered.
    void Freeze() const;
    // This test's own connection to the bus (for the mocks' control calls).
    sd_bus* Bus() const { return m_bus; }
    bool HasOwner(const std::string& name) const;
    // How many connections process `pid` has on the bus.
    int ConnectionsOf(pid_t pid) const;

private:
    TempDir m_dir;
    pid_t m_daemon = -1;
    std::vector<pid_t> m_mocks;
    std::string m_address;
    sd_bus* m_bus = nullptr;
    std::string m_skip;
    std::string m_error;
};

}  // namespace vr31k::test

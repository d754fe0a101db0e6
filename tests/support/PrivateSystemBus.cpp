#include "support/PrivateSystemBus.h"

#include "support/ProcessRun.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace vr31k::test {

namespace {

using namespace std::chrono_literals;

const char* const kPython = "/usr/bin/python3";  // Debian's own, where dbusmock lives

std::string BusConfig(const std::string& socket) {
    return R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=)" + socket + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)";
}

std::string FindProgram(const std::string& name) {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string dir; std::getline(path, dir, ':');) {
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    }
    return {};
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    kill(pid, SIGCONT);  // a frozen one too
    if (!WaitChild(pid, 5s)) {
        kill(pid, SIGKILL);
        WaitChild(pid, 5s);
    }
}

template <class Ready>
bool WaitUntil(Ready ready, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

PrivateSystemBus::PrivateSystemBus(bool withDbusmock) {
    const std::string daemon = FindProgram("dbus-daemon");
    if (daemon.empty()) {
        m_skip = "dbus-daemon is not installed (package dbus)";
        return;
    }
    if (withDbusmock && RunProgram(nullptr, {kPython, "-c", "import dbusmock"}).status != 0) {
        m_skip = "python3-dbusmock is not installed for /usr/bin/python3";
        return;
    }
    const std::string config = m_dir.File("bus.conf");
    WriteFile(config, BusConfig(m_dir.File("bus")));
    // Its complaint that it may not raise its descriptor limit goes to the log file.
    m_daemon = StartProgram(nullptr, {daemon, "--config-file=" + config, "--nofork", "--nopidfile"}, {},
                            m_dir.File("bus.log"));
    m_address = "unix:path=" + m_dir.File("bus");
    const bool up = WaitUntil(
        [&] {
            sd_bus* bus = nullptr;
            if (sd_bus_new(&bus) < 0) return false;
            if (sd_bus_set_address(bus, m_address.c_str()) >= 0 && sd_bus_set_bus_client(bus, 1) >= 0 &&
                sd_bus_start(bus) >= 0 && sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                             "org.freedesktop.DBus", "GetId", nullptr, nullptr, "") >= 0) {
                m_bus = bus;
                return true;
            }
            sd_bus_flush_close_unref(bus);
            if (!WaitChild(m_daemon, 0ms)) return false;
            m_daemon = -1;  // it ended: nothing to wait for
            return true;
        },
        10s);
    if (!up || m_bus == nullptr) m_error = "dbus-daemon did not start: " + ReadFile(m_dir.File("bus.log"));
}

PrivateSystemBus::~PrivateSystemBus() {
    sd_bus_flush_close_unref(m_bus);
    StopMocks();
    Stop(m_daemon);
}

bool PrivateSystemBus::StartMock(const std::vector<std::string>& args, const std::string& name) {
    if (m_bus == nullptr) return false;
    std::vector<std::string> argv = {kPython, "-m", "dbusmock", "--system"};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string log = m_dir.File("mock" + std::to_string(m_mocks.size()) + ".log");
    const pid_t mock = StartProgram(nullptr, argv, {"DBUS_SYSTEM_BUS_ADDRESS=" + m_address}, log);
    m_mocks.push_back(mock);
    if (!WaitUntil([&] { return HasOwner(name) || !ProcessRunning(mock); }, 20s) || !HasOwner(name)) {
        m_error = "the mock of " + name + " did not come up on the bus: " + ReadFile(log);
        return false;
    }
    return true;
}

void PrivateSystemBus::Freeze() const {
    if (m_daemon > 0) kill(m_daemon, SIGSTOP);
}

void PrivateSystemBus::StopMocks() {
    for (const pid_t mock : m_mocks) Stop(mock);
    m_mocks.clear();
}

bool PrivateSystemBus::HasOwner(const std::string& name) const {
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", nullptr, &reply, "s", name.c_str()) >= 0) {
        sd_bus_message_read(reply, "b", &owned);
    }
    sd_bus_message_unref(reply);
    return owned != 0;
}

int PrivateSystemBus::ConnectionsOf(pid_t pid) const {
    sd_bus_message* names = nullptr;
    if (sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "ListNames", nullptr, &names, "") < 0) {
        return -1;
    }
    int count = 0;
    sd_bus_message_enter_container(names, 'a', "s");
    const char* name = nullptr;
    while (sd_bus_message_read(names, "s", &name) > 0) {
        sd_bus_message* reply = nullptr;
        uint32_t owner = 0;
        if (name[0] == ':' && sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                 "org.freedesktop.DBus", "GetConnectionUnixProcessID", nullptr,
                                                 &reply, "s", name) >= 0 &&
            sd_bus_message_read(reply, "u", &owner) > 0 && owner == static_cast<uint32_t>(pid)) {
            ++count;
        }
        sd_bus_message_unref(reply);
    }
    sd_bus_message_unref(names);
    return count;
}

}  // namespace vr31k::test

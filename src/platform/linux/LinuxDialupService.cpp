#include "platform/linux/LinuxDialupService.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"
#include "platform/linux/DiallerProcess.h"
#include "platform/linux/NetLinks.h"
#include "platform/linux/OtherDiallers.h"
#include "platform/linux/PhonebookFile.h"
#include "platform/linux/PhonebookOps.h"
#include "platform/linux/PppDial.h"

#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <strings.h>
#include <thread>

namespace vr31k {

namespace {

using Clock = std::chrono::steady_clock;

// Handles of connections without a known process: the interface index, tagged.

thread_local std::string t_lastDetail;

class WatchHandle final : public IConnectionWatch {
public:
    explicit WatchHandle(std::shared_ptr<LinkWatch> watch) : m_watch(std::move(watch)) {}
    Result Wait(int timeoutMs) override { return m_watch->Wait(timeoutMs); }
    void Wake(unsigned bits) override { m_watch->Wake(bits); }

private:
    std::shared_ptr<LinkWatch> m_watch;
};

class LinuxDialupService final : public IDialupService {
public:
    explicit LinuxDialupService(LinuxDialupConfig config) : m_config(std::move(config)) {}

    ~LinuxDialupService() override {
        // Dials end before the members their threads call back into go away.
        std::map<int, std::shared_ptr<PppDial>> dials;
        {
            std::lock_guard lock(m_mutex);
            dials.swap(m_dials);
        }
        dials.clear();
    }

    // ---- phonebook (PhonebookOps.cpp) ----

    int ValidateEntryName(const std::string& phonebook, const std::string& name) override {
        return PhonebookValidateEntryName(phonebook, name);
    }
    int GetEntryProperties(const std::string& phonebook, const std::string& name, EntryProperties& out) override {
        return PhonebookGetEntryProperties(phonebook, name, out);
    }
    int SetEntryProperties(const std::string& phonebook, const std::string& name,
                           const EntryProperties& properties) override {
        return PhonebookSetEntryProperties(phonebook, name, properties);
    }
    int GetEntryDialParams(const std::string& phonebook, const std::string& name, DialParams& out) override {
        return PhonebookGetEntryDialParams(phonebook, name, out);
    }
    int SetEntryDialParams(const std::string& phonebook, const DialParams& params, bool removePassword) override {
        return PhonebookSetEntryDialParams(phonebook, params, removePassword);
    }
    int EnumEntries(const std::string& phonebook, std::vector<std::string>& names) override {
        return PhonebookEnumEntries(phonebook, names);
    }
    int RenameEntry(const std::string& phonebook, const std::string& oldName, const std::string& newName) override {
        return PhonebookRenameEntry(phonebook, oldName, newName);
    }
    int DeleteEntry(const std::string& phonebook, const std::string& name) override {
        return PhonebookDeleteEntry(phonebook, name);
    }
    int WriteEntryKey(const std::string& phonebook, const std::string& name, const std::string& key,
                      const std::string& value) override {
        return PhonebookWriteEntryKey(phonebook, name, key, value);
    }

    // ---- devices ----

    void RegisterDevice(const DialDevice& device) override {
        std::lock_guard lock(m_mutex);
        for (DialDevice& known : m_registered) {
            if (known.name == device.name) {
                known = device;
                return;
            }
        }
        m_registered.push_back(device);
    }

    int EnumDevices(std::vector<DialDevice>& out) override {
        {
            std::lock_guard lock(m_mutex);
            out = m_registered;
        }
        for (DialDevice& found : ListSerialModems(m_config.ttySysRoot)) {
            const bool known = std::any_of(out.begin(), out.end(), [&](const DialDevice& d) { return d.port == found.port; });
            if (!known) out.push_back(std::move(found));
        }
        return 0;
    }

    // ---- dialling ----

    int Dial(const std::string& phonebook, const DialParams& params, DialNotifier notifier,
             ConnHandle& out) override {
        t_lastDetail.clear();
        out = 0;
        EntryProperties entry;
        const int read = GetEntryProperties(phonebook, params.entryName, entry);
        if (read != 0) return Fail(read, "entry \"" + params.entryName + "\" is not in the phonebook");

        const std::string port = PortOfDevice(entry.deviceName);
        if (port.empty()) {
            return Fail(dialerr::kPortNotAvailable, "no port is known for the device \"" + entry.deviceName + "\"");
        }
        if (access(port.c_str(), F_OK) != 0) return Fail(dialerr::kPortNotAvailable, port + " does not exist");
        if (access(port.c_str(), R_OK | W_OK) != 0) {
            return Fail(dialerr::kAccessDenied, "no permission to open " + port +
                                                    " (the user must be in the group that owns it, normally dialout)");
        }

        std::string program;
        if (m_config.link == DialLink::Pppd) {
            program = m_config.pppd.pppdPath;
            if (access(program.c_str(), X_OK) != 0) {
                return Fail(errno == ENOENT ? dialerr::kFileNotOpened : dialerr::kAccessDenied,
                            program + " cannot be run by this user (install ppp; the user must be in group dip)");
            }
            const std::string peers = m_config.peersDir + "/" + m_config.pppd.peerName;
            if (!StatFile(peers).exists) {
                return Fail(dialerr::kFileNotOpened, peers + " is missing: run scripts/setup.sh as root");
            }
        } else {
            program = m_config.simulatedLinkPath.empty() ? ProgramFolder() + "/vr31k-simlink"
                                                         : m_config.simulatedLinkPath;
            if (access(program.c_str(), X_OK) != 0) {
                return Fail(dialerr::kFileNotOpened, "the simulated link program " + program + " is missing");
            }
        }

        const std::string privateDir = MakePrivateDir();
        if (privateDir.empty()) return Fail(dialerr::kFileNotOpened, "cannot create a private folder for the dial");

        DialJob job;
        job.port = port;
        job.phoneNumber = params.phoneNumber.empty() ? entry.phoneNumber : params.phoneNumber;
        job.userName = params.userName;
        job.password = params.password;
        PppdSetup setup = m_config.pppd;
        setup.pppdPath = program;
        PppdLaunch launch;
        const int built = BuildPppdLaunch(setup, job, privateDir, launch);
        if (built == 0) {
            if (m_config.link == DialLink::Simulated) {
                // It ends with this process (with the thread that dials, the controller's).
                launch.argv = {program, "--options", privateDir + "/options", "--chat", privateDir + "/chat",
                               "--parent", std::to_string(getpid())};
            }
            if (WriteFileAtomically(privateDir + "/options", launch.optionsText, 0600) != 0 ||
                WriteFileAtomically(privateDir + "/chat", launch.chatText, 0600) != 0) {
                std::error_code ignored;
                std::filesystem::remove_all(privateDir, ignored);
                return Fail(dialerr::kFileNotOpened, "cannot write the dial's files in " + privateDir);
            }
        } else {
            std::error_code ignored;
            std::filesystem::remove_all(privateDir, ignored);
            return Fail(built, "the dial string, port or credentials cannot be handed to pppd");
        }

        PppDial::Launch dialLaunch;
        dialLaunch.argv = std::move(launch.argv);
        dialLaunch.password = job.password;
        dialLaunch.privateDir = privateDir;
        dialLaunch.entryName = params.entryName;
        dialLaunch.deviceType = entry.deviceType.empty() ? "modem" : entry.deviceType;
        dialLaunch.deviceName = entry.deviceName;
        dialLaunch.port = port;
        if (m_config.makeInhibit) {
            dialLaunch.inhibit = m_config.makeInhibit();
            dialLaunch.inhibit->Hold(port);
        }
        std::unique_ptr<PppDial> dial;
        const int started = PppDial::Start(std::move(dialLaunch), std::move(notifier), [this] { NoteChange(); }, dial);
        if (started != 0) return Fail(started, "cannot start " + program);

        // Finished dials are destroyed outside the lock: their reader threads may be
        // waiting for it in their last callback.
        std::vector<std::shared_ptr<PppDial>> finished;
        std::lock_guard lock(m_mutex);
        for (auto it = m_dials.begin(); it != m_dials.end();) {
            if (it->second->Get().finished) {
                finished.push_back(std::move(it->second));
                it = m_dials.erase(it);
            } else {
                ++it;
            }
        }
        out = static_cast<ConnHandle>(dial->Pid());
        m_lastDialPid = dial->Pid();
        m_dials[dial->Pid()] = std::move(dial);
        return 0;
    }

    int EnumConnections(std::vector<ConnectionInfo>& out) override {
        out.clear();
        std::vector<std::string> ourInterfaces;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [pid, dial] : m_dials) {
                const PppDial::Snapshot s = dial->Get();
                if (s.finished) continue;
                ConnectionInfo info;
                info.handle = static_cast<ConnHandle>(pid);
                info.entryName = dial->Info().entryName;
                info.deviceType = dial->Info().deviceType;
                info.deviceName = dial->Info().deviceName;
                info.port = dial->Info().port;
                info.interfaceName = s.interfaceName;
                info.pid = pid;
                info.state = s.state;
                out.push_back(std::move(info));
                if (!s.interfaceName.empty()) ourInterfaces.push_back(s.interfaceName);
            }
        }
        for (ConnectionInfo& outside : OutsideConnections(ourInterfaces)) out.push_back(std::move(outside));
        return 0;
    }

    int GetConnectStatus(ConnHandle handle, uint32_t& state, int& error) override {
        error = 0;
        if (const auto dial = FindDial(handle)) {
            const PppDial::Snapshot s = dial->Get();
            if (s.finished) return dialerr::kInvalidHandle;
            state = s.state;
            return 0;
        }
        std::string interfaceName;
        if (FindOutside(handle, interfaceName)) {
            state = dialstate::kConnected;
            return 0;
        }
        return dialerr::kInvalidHandle;
    }

    int GetConnectionStatistics(ConnHandle handle, ConnectionStats& out) override {
        out = ConnectionStats{};
        std::string interfaceName;
        Clock::time_point since{};
        if (const auto dial = FindDial(handle)) {
            const PppDial::Snapshot s = dial->Get();
            if (s.finished) return dialerr::kInvalidHandle;
            if (!s.connected) return dialerr::kNoConnection;
            interfaceName = s.interfaceName;
            since = s.upSince;
        } else {
            if (!FindOutside(handle, interfaceName)) return dialerr::kInvalidHandle;
            std::lock_guard lock(m_mutex);
            since = m_firstSeen[interfaceName];
        }
        out.durationMs = static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
        if (!interfaceName.empty()) {
            const auto counters = ReadLinkCounters(m_config.sysNetRoot, interfaceName);
            if (!counters) return dialerr::kInvalidHandle;  // the interface went meanwhile
            out.bytesSent = counters->txBytes;
            out.bytesReceived = counters->rxBytes;
        }
        return 0;
    }

    int HangUp(ConnHandle handle) override {
        t_lastDetail.clear();
        const auto deadline = [](int ms) { return Clock::now() + std::chrono::milliseconds(ms); };
        std::string interfaceName;
        if (const auto dial = FindDial(handle)) {
            interfaceName = dial->Get().interfaceName;
            if (!dial->End(std::chrono::milliseconds(m_config.hangUpTermWaitMs),
                           std::chrono::milliseconds(m_config.hangUpKillWaitMs))) {
                return Fail(dialerr::kRequestTimeout, "the dialler did not end after SIGKILL");
            }
        } else {
            ConnectionInfo target;
            for (ConnectionInfo& c : OutsideConnections({})) {
                if (c.handle == handle) target = std::move(c);
            }
            if (target.handle == 0) return 0;  // already gone
            if (target.pid <= 0) return Fail(dialerr::kAccessDenied, "no process is known for " + target.interfaceName);
            interfaceName = target.interfaceName;
            if (kill(target.pid, SIGTERM) != 0 && errno == EPERM) {
                return Fail(dialerr::kAccessDenied, "the dialler of " + interfaceName + " belongs to another user");
            }
            const auto termEnd = deadline(m_config.hangUpTermWaitMs);
            while (ProcessAlive(target.pid) && Clock::now() < termEnd) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (ProcessAlive(target.pid)) {
                kill(target.pid, SIGKILL);
                const auto killEnd = deadline(m_config.hangUpKillWaitMs);
                while (ProcessAlive(target.pid) && Clock::now() < killEnd) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                if (ProcessAlive(target.pid)) return Fail(dialerr::kRequestTimeout, "the dialler did not end after SIGKILL");
            }
        }
        const auto linkEnd = deadline(m_config.hangUpLinkWaitMs);
        while (LinkExists(m_config.sysNetRoot, interfaceName)) {
            if (Clock::now() >= linkEnd) return Fail(dialerr::kRequestTimeout, interfaceName + " is still present");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    std::unique_ptr<IConnectionWatch> Watch() override {
        auto watch = std::make_shared<LinkWatch>();
        std::lock_guard lock(m_mutex);
        std::erase_if(m_watches, [](const std::weak_ptr<LinkWatch>& w) { return w.expired(); });
        m_watches.push_back(watch);
        return std::make_unique<WatchHandle>(std::move(watch));
    }

    // A dial that started and then failed tells why through its log.
    std::string LastErrorDetail() const override {
        if (!t_lastDetail.empty()) return t_lastDetail;
        std::lock_guard lock(m_mutex);
        const auto it = m_dials.find(m_lastDialPid);
        return it == m_dials.end() ? std::string() : it->second->Get().cause;
    }

private:
    static int Fail(int code, std::string detail) {
        t_lastDetail = std::move(detail);
        return code;
    }

    void NoteChange() {
        std::vector<std::shared_ptr<LinkWatch>> watches;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& w : m_watches) {
                if (auto live = w.lock()) watches.push_back(std::move(live));
            }
        }
        for (const auto& w : watches) w->NoteChange();
    }

    // Another dialler's connection by handle. The statistics tick asks every second, so
    // the last listing's answer is checked (interface up, process alive) before the
    // connections are listed afresh.
    bool FindOutside(ConnHandle handle, std::string& interfaceName) {
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_outside.find(handle);
            if (it != m_outside.end()) interfaceName = it->second;
        }
        if (!interfaceName.empty()) {
            const bool processOk = handle >= kInterfaceHandleTag || ProcessAlive(static_cast<int>(handle));
            for (const NetLink& link : ListPppLinks(m_config.sysNetRoot)) {
                if (link.name == interfaceName && link.up && processOk) return true;
            }
        }
        for (const ConnectionInfo& c : OutsideConnections({})) {
            if (c.handle == handle) {
                interfaceName = c.interfaceName;
                return true;
            }
        }
        return false;
    }

    std::shared_ptr<PppDial> FindDial(ConnHandle handle) {
        std::lock_guard lock(m_mutex);
        const auto it = handle < kInterfaceHandleTag ? m_dials.find(static_cast<int>(handle)) : m_dials.end();
        return it == m_dials.end() ? nullptr : it->second;
    }

    std::string PortOfDevice(const std::string& deviceName) {
        if (deviceName.rfind("/dev/", 0) == 0) return deviceName;
        std::vector<DialDevice> devices;
        EnumDevices(devices);
        for (const DialDevice& d : devices) {
            if (strcasecmp(d.name.c_str(), deviceName.c_str()) == 0) return d.port;
        }
        return {};
    }

    std::string DeviceOfPort(const std::string& port, std::string& type) {
        if (port.empty()) return {};
        {
            // The registered devices (the card) first: this runs on every sample.
            std::lock_guard lock(m_mutex);
            for (const DialDevice& d : m_registered) {
                if (d.port == port) {
                    type = d.type;
                    return d.name;
                }
            }
        }
        for (const DialDevice& d : ListSerialModems(m_config.ttySysRoot)) {
            if (d.port == port) {
                type = d.type;
                return d.name;
            }
        }
        return {};
    }

    std::vector<ConnectionInfo> OutsideConnections(const std::vector<std::string>& ourInterfaces) {
        std::vector<std::string> ours = ourInterfaces;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [pid, dial] : m_dials) {
                const auto s = dial->Get();
                if (!s.finished && !s.interfaceName.empty()) ours.push_back(s.interfaceName);
            }
        }
        std::vector<std::string> present;
        for (const NetLink& link : ListPppLinks(m_config.sysNetRoot)) present.push_back(link.name);
        std::vector<ConnectionInfo> result = FindOtherDiallerLinks(
            {m_config.sysNetRoot, m_config.runDir, m_config.lockDir}, ours,
            [this](const std::string& port, std::string& type) { return DeviceOfPort(port, type); });
        std::lock_guard lock(m_mutex);
        m_outside.clear();
        for (const ConnectionInfo& c : result) {
            // A link found up began when its dialler did, not when we noticed it.
            if (!m_firstSeen.contains(c.interfaceName)) {
                m_firstSeen.emplace(c.interfaceName, Clock::now() - (c.pid > 0 ? ProcessAge(c.pid) : Clock::duration{}));
            }
            m_outside[c.handle] = c.interfaceName;
        }
        std::erase_if(m_firstSeen, [&](const auto& item) {
            return std::find(present.begin(), present.end(), item.first) == present.end();
        });
        return result;
    }

    std::string MakePrivateDir() const {
        std::string base = m_config.privateBase;
        if (base.empty()) {
            const char* runtime = std::getenv("XDG_RUNTIME_DIR");
            base = runtime != nullptr && *runtime != '\0' && IsPlainPath(runtime) ? runtime : "/tmp";
        }
        std::string pattern = base + "/vr31k-dial-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return {};
        return pattern;
    }

    LinuxDialupConfig m_config;
    mutable std::mutex m_mutex;  // guards the members below
    int m_lastDialPid = -1;
    std::map<int, std::shared_ptr<PppDial>> m_dials;
    std::vector<DialDevice> m_registered;
    std::vector<std::weak_ptr<LinkWatch>> m_watches;
    std::map<std::string, Clock::time_point> m_firstSeen;
    std::map<ConnHandle, std::string> m_outside;  // the last listing of other diallers' links
};

}  // namespace

LinuxDialupConfig DialupConfigFromEnvironment() {
    LinuxDialupConfig config;
    const char* link = std::getenv("VR31K_DIAL_LINK");
    if (link != nullptr && std::strcmp(link, "simulated") == 0) {
        config.link = DialLink::Simulated;
        const char* program = std::getenv("VR31K_SIMLINK");
        if (program != nullptr && *program != '\0') config.simulatedLinkPath = program;
    }
    return config;
}

std::unique_ptr<IDialupService> CreateLinuxDialupService(LinuxDialupConfig config) {
    return std::make_unique<LinuxDialupService>(std::move(config));
}

}  // namespace vr31k

// CWRasCtrl: set-up, dialling, the monitor thread, hang-up and statistics. The entry
// operations are in CWRasCtrlEntries.cpp.
#include "dialup/CWRasCtrl.h"

#include "dialup/CounterDelta.h"

#include <strings.h>

#include <new>

namespace vr31k {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::char_traits<char>::length(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

}  // namespace

CWRasCtrl::CWRasCtrl(IDialupService& service) : m_service(service) {}

CWRasCtrl::~CWRasCtrl() { StopMonitor(); }

int CWRasCtrl::Setup(const std::optional<std::string>& phonebookPath, const std::optional<std::string>& deviceName,
                     int acceptAnyDevice) {
    m_acceptAnyDevice = acceptAnyDevice;
    if (SetPhonebookPath(phonebookPath) != 0 || SetDeviceName(deviceName) != 0) return RAS_ERR_NO_MEMORY;
    return 0;
}

int CWRasCtrl::SetPhonebookPath(const std::optional<std::string>& path) {
    try {
        m_phonebookPath = path;
    } catch (const std::bad_alloc&) {
        m_phonebookPath.reset();
        return RAS_ERR_NO_MEMORY;
    }
    return 0;
}

int CWRasCtrl::SetDeviceName(const std::optional<std::string>& name) {
    try {
        m_deviceName = name;
    } catch (const std::bad_alloc&) {
        m_deviceName.reset();
        return RAS_ERR_NO_MEMORY;
    }
    return 0;
}

void CWRasCtrl::SetCardPort(const std::string& port) {
    m_service.RegisterDevice({"modem", kCardModemName, port});
}

int CWRasCtrl::FindCardModem(int extended) {
    static constexpr const char* kExtendedNames[] = {"Tarnwick VR31K Modem", "Pellucid USB CDC Modem 4600",
                                                     "Pellucid USB Modem 4697"};
    std::vector<DialDevice> devices;
    if (m_service.EnumDevices(devices) != 0) return RAS_ERR_NO_MODEM;
    for (const DialDevice& device : devices) {
        if (!StartsWithNoCase(device.type, "modem")) continue;
        bool match = StartsWithNoCase(device.name, kCardModemName);
        for (const char* other : kExtendedNames) match = match || (extended != 0 && StartsWithNoCase(device.name, other));
        if (match) return SetDeviceName(device.name);
    }
    return RAS_ERR_NO_MODEM;
}

// ---- monitor ----

int CWRasCtrl::StartMonitor(NoticeCallback notify) {
    if (m_monitorThread.joinable()) return 0;
    m_notify = std::move(notify);
    // The watch exists before the thread looks for a connection, so nothing that comes
    // up in between is missed.
    m_watch = m_service.Watch();
    m_monitorThread = std::thread(&CWRasCtrl::MonitorThread, this);
    return 0;
}

int CWRasCtrl::StopMonitor() {
    if (!m_monitorThread.joinable()) return 0;
    m_watch->Wake(kWakeQuit);
    // The thread's longest step is a hang-up, which the service bounds; waiting for it
    // keeps the thread from outliving what it uses.
    m_monitorThread.join();
    m_watch.reset();
    return 0;
}

void CWRasCtrl::Notify(int notice) {
    if (m_notify) m_notify(notice);
}

void CWRasCtrl::ZeroTotals() {
    m_bytesSent = m_bytesReceived = m_durationMs = 0;
    m_lastBytesSent = m_lastBytesReceived = m_lastDuration = 0;
}

const ConnectionInfo* CWRasCtrl::CardConnectionOf(const std::vector<ConnectionInfo>& connections,
                                                  int acceptAnyDevice) {
    for (const ConnectionInfo& c : connections) {
        if (c.state != dialstate::kConnected) continue;
        if (acceptAnyDevice == 0 && !StartsWithNoCase(c.deviceName, kCardModemName)) continue;
        return &c;
    }
    return nullptr;
}

bool CWRasCtrl::FindCardConnection(ConnectionInfo& out) {
    std::vector<ConnectionInfo> connections;
    m_service.EnumConnections(connections);
    const ConnectionInfo* found = CardConnectionOf(connections, m_acceptAnyDevice);
    if (found != nullptr) out = *found;
    return found != nullptr;
}

void CWRasCtrl::AdoptIfUp(bool afterLoss) {
    ConnectionInfo found;
    if (!FindCardConnection(found)) return;
    {
        std::lock_guard lock(m_mutex);
        m_foundConnection = found;
        if (m_activeConnection == 0) m_activeConnection = found.handle;
        ZeroTotals();
        m_connected = 1;
        m_entryName = found.entryName;
        // A new connection has no end yet: whatever end was stamped before (a dial that
        // was cancelled or failed, a lost line already recorded and stamped again)
        // belongs to another one. Only the end of the loss in this same wake stays, for
        // the lost connection's row.
        if (!afterLoss || !m_endOfTheLoss) m_endTime.status = RasEndTime::Null;
        m_endOfTheLoss = false;
    }
    Notify(RAS_NOTIFY_CONNECTED);
}

void CWRasCtrl::HandleLinkLoss() {
    ConnHandle found;
    {
        std::lock_guard lock(m_mutex);
        found = m_foundConnection.handle;
    }
    uint32_t state = 0;
    int error = 0;
    if (m_service.GetConnectStatus(found, state, error) == 0 && state == dialstate::kConnected) return;

    // The found connection is cleared, not refilled with whatever else is up: a sample
    // taken after the loss must leave the totals alone, not add another link's bytes.
    ConnHandle active;
    {
        std::lock_guard lock(m_mutex);
        m_foundConnection = ConnectionInfo{};
        active = m_activeConnection;
    }
    if (active != 0 && m_service.HangUp(active) == 0) {
        std::lock_guard lock(m_mutex);
        if (m_activeConnection == active) m_activeConnection = 0;
    }
    {
        std::lock_guard lock(m_mutex);
        m_connected = 0;
        if (m_endTime.status != RasEndTime::Valid) StampEndTimeLocked();
        m_endOfTheLoss = true;
    }
    Notify(RAS_NOTIFY_DISCONNECTED);
}

void CWRasCtrl::MonitorThread() {
    AdoptIfUp();
    for (;;) {
        const IConnectionWatch::Result woke = m_watch->Wait(-1);
        if (woke.linksChanged) {
            bool connected;
            {
                std::lock_guard lock(m_mutex);
                connected = m_connected != 0;
            }
            const bool wasConnected = connected;
            if (connected) HandleLinkLoss();
            // A connection may have come up in the same batch of changes.
            {
                std::lock_guard lock(m_mutex);
                connected = m_connected != 0;
            }
            if (!connected) AdoptIfUp(wasConnected);
        }
        if ((woke.wakeBits & kWakeHangUp) != 0) {
            ConnHandle active;
            {
                std::lock_guard lock(m_mutex);
                active = m_activeConnection;
            }
            int result = 0;
            if (active != 0) {
                result = m_service.HangUp(active);
                std::lock_guard lock(m_mutex);
                if (result == 0 && m_activeConnection == active) m_activeConnection = 0;
            }
            {
                std::lock_guard lock(m_mutex);
                m_lastMonitorHangUp = result;
            }
            Notify(RAS_NOTIFY_HUNGUP);
        }
        if ((woke.wakeBits & kWakeQuit) != 0) break;
    }
}

// ---- dialling ----

int CWRasCtrl::IsConnected() {
    ConnHandle active;
    {
        std::lock_guard lock(m_mutex);
        active = m_activeConnection;
    }
    if (active == 0) return 0;
    uint32_t state = 0;
    int error = 0;
    return m_service.GetConnectStatus(active, state, error) == 0 && state == dialstate::kConnected ? 1 : 0;
}

int CWRasCtrl::Dial(const std::string& entryName, const std::optional<std::string>& userName,
                    const std::optional<std::string>& password, const std::optional<std::string>& dialString,
                    DialNotifier progress) {
    DialParams params;
    m_service.GetEntryDialParams(PhonebookPath(), entryName, params);
    params.entryName = entryName;
    if (userName) params.userName = *userName;
    if (password) params.password = *password;
    if (dialString) {
        params.phoneNumber = *dialString;
    } else {
        GetEntryPhoneNumber(entryName, params.phoneNumber);
    }
    {
        std::lock_guard lock(m_mutex);
        m_entryName = entryName;
        m_activeConnection = 0;
        ZeroTotals();
        m_endTime.status = RasEndTime::Null;
        m_endOfTheLoss = false;
        m_connected = 0;
    }
    ConnHandle handle = 0;
    const int result = m_service.Dial(PhonebookPath(), params, std::move(progress), handle);
    if (result != 0) {
        HangUp(false, true);
        return result;
    }
    std::lock_guard lock(m_mutex);
    // The monitor may already have adopted it under the same handle.
    m_activeConnection = handle;
    return 0;
}

int CWRasCtrl::HangUp(bool throughMonitor, bool /*wait*/) {
    ConnHandle active;
    {
        std::lock_guard lock(m_mutex);
        active = m_activeConnection;
    }
    // Through the monitor even with nothing to hang up: its notice is what ends the
    // caller's wait.
    if (throughMonitor && m_watch) {
        m_watch->Wake(kWakeHangUp);
        return 0;
    }
    if (active == 0) return 0;
    // The service's hang-up always waits, within its bounds, for the link to go.
    const int result = m_service.HangUp(active);
    if (result == 0) {
        std::lock_guard lock(m_mutex);
        if (m_activeConnection == active) m_activeConnection = 0;
    }
    return result;
}

int CWRasCtrl::SampleStatistics() {
    ConnHandle found;
    {
        std::lock_guard lock(m_mutex);
        found = m_foundConnection.handle;
    }
    if (found == 0) return RAS_ERR_NOT_CONNECTED;
    uint32_t state = 0;
    int error = 0;
    ConnectionStats stats;
    if (m_service.GetConnectStatus(found, state, error) != 0 || state != dialstate::kConnected ||
        m_service.GetConnectionStatistics(found, stats) != 0) {
        return RAS_ERR_NOT_CONNECTED;
    }
    std::lock_guard lock(m_mutex);
    m_bytesSent += CounterIncrease(stats.bytesSent, m_lastBytesSent, stats.counterBits);
    m_lastBytesSent = stats.bytesSent;
    m_bytesReceived += CounterIncrease(stats.bytesReceived, m_lastBytesReceived, stats.counterBits);
    m_lastBytesReceived = stats.bytesReceived;
    if (stats.durationMs > 0) {
        m_durationMs += CounterIncrease(stats.durationMs, m_lastDuration, 64);
        m_lastDuration = stats.durationMs;
    }
    return 0;
}

ConnectionInfo CWRasCtrl::FoundConnection() const {
    std::lock_guard lock(m_mutex);
    return m_foundConnection;
}

void CWRasCtrl::StampEndTime() {
    std::lock_guard lock(m_mutex);
    StampEndTimeLocked();
    m_endOfTheLoss = false;
}

void CWRasCtrl::ClearEndTime() {
    std::lock_guard lock(m_mutex);
    m_endTime.status = RasEndTime::Null;
    m_endOfTheLoss = false;
}

void CWRasCtrl::StampEndTimeLocked() {
    const std::time_t now = m_wallClock();
    m_endTime.status = localtime_r(&now, &m_endTime.local) != nullptr ? RasEndTime::Valid : RasEndTime::Invalid;
}

std::string CWRasCtrl::EntryName() const {
    std::lock_guard lock(m_mutex);
    return m_entryName;
}
uint64_t CWRasCtrl::BytesSent() const {
    std::lock_guard lock(m_mutex);
    return m_bytesSent;
}
uint64_t CWRasCtrl::BytesReceived() const {
    std::lock_guard lock(m_mutex);
    return m_bytesReceived;
}
uint64_t CWRasCtrl::DurationMs() const {
    std::lock_guard lock(m_mutex);
    return m_durationMs;
}
RasEndTime CWRasCtrl::EndTime() const {
    std::lock_guard lock(m_mutex);
    return m_endTime;
}
bool CWRasCtrl::Connected() const {
    std::lock_guard lock(m_mutex);
    return m_connected != 0;
}
int CWRasCtrl::LastMonitorHangUpResult() const {
    std::lock_guard lock(m_mutex);
    return m_lastMonitorHangUp;
}

}  // namespace vr31k

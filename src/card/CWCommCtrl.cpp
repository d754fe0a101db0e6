#include "card/CWCommCtrl.h"

#include "card/CardResults.h"

#include <chrono>
#include <system_error>

namespace vr31k {
namespace {

using Clock = std::chrono::steady_clock;

// A bare name is a device below /dev; a path is used as given.
std::string DevicePath(const std::string& portName) {
    if (!portName.empty() && portName[0] == '/') return portName;
    return "/dev/" + portName;
}

}  // namespace

CWCommCtrl::CWCommCtrl(int openRetryDelayMs, std::unique_ptr<ISerialPort> port,
                       std::unique_ptr<IDeviceInhibit> inhibit)
    : m_openRetryDelayMs(openRetryDelayMs), m_port(std::move(port)), m_inhibit(std::move(inhibit)) {}

CWCommCtrl::~CWCommCtrl() { Close(); }

int CWCommCtrl::Open(const std::string& portName, bool applyLineSettings, int retryDelayMs) {
    m_portPath = DevicePath(portName);
    // Before the open: ModemManager closes the tty when it lets go of the device.
    if (m_inhibit) m_inhibit->Hold(m_portPath);
    if (TryOpen(applyLineSettings) == COMM_OK) return COMM_OK;
    CloseLine();
    std::this_thread::sleep_for(std::chrono::milliseconds(retryDelayMs < 0 ? m_openRetryDelayMs : retryDelayMs));
    const int second = TryOpen(applyLineSettings);
    if (second != COMM_OK) Close();
    return second;
}

int CWCommCtrl::TryOpen(bool applyLineSettings) {
    if (m_port->IsOpen()) return COMM_ERR_OPEN;
    ClearQueues();
    switch (m_port->Open(m_portPath, applyLineSettings)) {
        case SerialOpenResult::Ok: break;
        case SerialOpenResult::OpenFailed: return COMM_ERR_OPEN;
        case SerialOpenResult::ConfigFailed: return COMM_ERR_CONFIG;
    }
    CommTimeouts timeouts;
    timeouts.readInterval = kOpenReadIntervalMs;
    SetTimeouts(timeouts);
    m_stop = false;
    m_port->ClearWake();
    try {
        m_reader = std::thread(&CWCommCtrl::ReaderLoop, this);
    } catch (const std::system_error&) {
        CloseLine();
        return COMM_ERR_CONFIG;
    }
    return COMM_OK;
}

int CWCommCtrl::Close() {
    const int result = CloseLine();
    if (m_inhibit) m_inhibit->Release();
    return result;
}

int CWCommCtrl::CloseLine() {
    int result = COMM_OK;
    // The reader's only blocking call waits on the wake-up too, so it always ends:
    // joining here guarantees it never outlives what it uses.
    if (m_reader.joinable()) {
        m_stop = true;
        m_port->Wake();
        m_reader.join();
        m_stop = false;
    }
    if (m_port->IsOpen()) {
        if (!m_port->Purge()) result = COMM_ERR_CONFIG;
        if (!m_port->SetDtr(false)) result = COMM_ERR_CONFIG;
        if (!m_port->Purge()) result = COMM_ERR_CONFIG;
        if (!m_port->Close()) result = COMM_ERR_CONFIG;
    }
    // Nothing queued survives a close, whatever state the channel was in.
    ClearQueues();
    return result;
}

int CWCommCtrl::Write(std::string_view bytes) {
    if (!m_port->IsOpen()) return COMM_ERR_OPEN;
    if (bytes.empty()) return COMM_OK;
    {
        std::lock_guard lock(m_sendMutex);
        if (m_sendQueue.Push(std::string(bytes)) == 0) return COMM_ERR_CONFIG;
    }
    m_port->Wake();
    return COMM_OK;
}

int CWCommCtrl::Read(std::string& chunk) {
    chunk.clear();
    std::lock_guard lock(m_receiveMutex);
    return m_receiveQueue.Pop(chunk) != 0 ? COMM_OK : COMM_ERR_NODATA;
}

int CWCommCtrl::SetReceiveCallback(Callback callback, void* context) {
    std::lock_guard lock(m_callbackMutex);
    m_receiveCallback = callback;
    m_callbackContext = context;
    return 0;
}

int CWCommCtrl::SetFlowControl(int mode) {
    if (!m_port->IsOpen()) return COMM_OK;
    if (mode < 0 || mode > 3) return COMM_ERR_CONFIG;
    return m_port->SetFlowControl(static_cast<FlowControl>(mode)) ? COMM_OK : COMM_ERR_CONFIG;
}

int CWCommCtrl::SetTimeouts(const CommTimeouts& timeouts) {
    m_readIntervalMs = timeouts.readInterval;
    return COMM_OK;
}

int CWCommCtrl::OnReceived(size_t /*byteCount*/) {
    Callback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(m_callbackMutex);
        callback = m_receiveCallback;
        context = m_callbackContext;
    }
    return callback != nullptr ? callback(context) : 0;
}

int CWCommCtrl::OnSendComplete() { return 0; }

bool CWCommCtrl::EndsChunk(std::string_view /*pending*/) const { return false; }

void CWCommCtrl::ClearQueues() {
    {
        std::lock_guard lock(m_sendMutex);
        m_sendQueue.Clear();
    }
    std::lock_guard lock(m_receiveMutex);
    m_receiveQueue.Clear();
}

bool CWCommCtrl::PopSend(std::string& chunk) {
    std::lock_guard lock(m_sendMutex);
    return m_sendQueue.Pop(chunk) != 0;
}

void CWCommCtrl::HandOver(std::string& incoming) {
    const size_t size = incoming.size();
    {
        std::lock_guard lock(m_receiveMutex);
        if (m_receiveQueue.Bytes() + size <= kMaxQueued) m_receiveQueue.Push(std::move(incoming));
    }
    incoming.clear();
    OnReceived(size);
}

// All port I/O. Bytes are gathered until the line has been idle for the read interval
// (or a chunk is full, or EndsChunk says they are complete), then queued as one chunk
// and announced. Chunks to send are
// written one after the other, in the order they were queued.
void CWCommCtrl::ReaderLoop() {
    std::string buffer(kMaxChunk, '\0');
    std::string incoming;
    Clock::time_point lastByte{};
    std::string outgoing;
    size_t sent = 0;

    while (!m_stop.load()) {
        const bool sending = sent < outgoing.size();
        int timeoutMs = -1;
        if (!incoming.empty()) {
            const auto idle = std::chrono::milliseconds(m_readIntervalMs.load());
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(lastByte + idle - Clock::now());
            timeoutMs = static_cast<int>(std::max<long long>(0, left.count()));
        }
        const SerialWaitResult wait = m_port->Wait(sending, timeoutMs);
        if (wait.failed) break;
        if (wait.woken) m_port->ClearWake();
        if (m_stop.load()) break;

        bool ended = false;
        bool fresh = false;
        if (wait.readable) {
            const long n = m_port->Read(buffer.data(), kMaxChunk - incoming.size());
            if (n > 0) {
                incoming.append(buffer.data(), static_cast<size_t>(n));
                lastByte = Clock::now();
                fresh = true;
            } else if (n < 0) {
                ended = true;
            }
        }
        if (!incoming.empty()) {
            const bool idle = Clock::now() >= lastByte + std::chrono::milliseconds(m_readIntervalMs.load());
            const bool complete = fresh && EndsChunk(incoming);
            if (idle || ended || complete || incoming.size() >= kMaxChunk) HandOver(incoming);
        }
        if (ended) break;  // the line went away (unplugged): callers see time-outs

        // Writes: finish the current chunk, then take the next one.
        for (;;) {
            if (sent >= outgoing.size()) {
                const bool hadChunk = !outgoing.empty();
                outgoing.clear();
                sent = 0;
                if (!PopSend(outgoing)) {
                    if (hadChunk) OnSendComplete();
                    break;
                }
            }
            const long n = m_port->Write(outgoing.data() + sent, outgoing.size() - sent);
            if (n < 0) {
                sent = outgoing.size();  // a failed write is dropped; the caller times out
                continue;
            }
            if (n == 0) break;  // no room now: wait for it
            sent += static_cast<size_t>(n);
        }
    }
}

}  // namespace vr31k

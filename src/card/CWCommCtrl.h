#pragma once
// The serial channel to the card: one port, one reader thread that does all port I/O,
// a send queue and a receive queue, each under its own mutex.
//
// Threads: the caller's thread (Open, Close, Write, Read, settings) and the reader.
// They share only the two queues (each under its mutex, never both held), the stop
// flag, the read interval and the callback (under its own mutex, copied out before
// the call). Callbacks run on the reader thread, after the chunk is queued and with
// no lock held; they must only signal.
#include "card/CWDataQueue.h"
#include "platform/DeviceInhibit.h"
#include "platform/SerialPort.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace vr31k {

// Time-outs in milliseconds. The read interval decides when a chunk is handed over:
// once the line has been idle for it, unless EndsChunk says earlier that nothing more
// can belong to it. The total time-outs have no effect: reads and writes never block
// the caller here.
struct CommTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

class CWCommCtrl {
public:
    using Callback = int (*)(void* context);

    static constexpr int kOpenRetryDelayMs = 5000;
    static constexpr size_t kMaxChunk = 32768;
    // Received bytes waiting for the caller beyond this are dropped: a card that sends
    // without end while nobody reads must not fill the memory. It is several times the
    // longest reply the card controller accepts, so that a reply is never cut here first.
    static constexpr size_t kMaxQueued = 8 * kMaxChunk;
    static constexpr uint32_t kOpenReadIntervalMs = 5;

    // `openRetryDelayMs`: the pause before Open's second try (tests shorten it).
    // `inhibit` keeps the system's modem manager off the device while the port is open
    // (null: nobody is asked).
    CWCommCtrl(int openRetryDelayMs, std::unique_ptr<ISerialPort> port, std::unique_ptr<IDeviceInhibit> inhibit);
    virtual ~CWCommCtrl();
    CWCommCtrl(const CWCommCtrl&) = delete;
    CWCommCtrl& operator=(const CWCommCtrl&) = delete;

    // Opens a port name ("ttyACM0", taken below /dev) or a path, and starts the reader.
    // The modem manager is asked to let go of the device first; whatever it answers, the
    // open goes on. On failure: closes, waits (`retryDelayMs`, below 0: the constructor's
    // pause), tries once more. COMM_OK, COMM_ERR_OPEN, COMM_ERR_CONFIG.
    int Open(const std::string& portName, bool applyLineSettings, int retryDelayMs = -1);
    // Stops the reader, discards both queues, drops DTR, closes, and gives the device
    // back to the modem manager. Idempotent.
    int Close();
    // Queues a copy of the bytes for the reader to send. COMM_ERR_OPEN when closed.
    int Write(std::string_view bytes);
    int WriteString(std::string_view text) { return Write(text); }
    // Takes the oldest received chunk; COMM_ERR_NODATA (chunk empty) when none.
    int Read(std::string& chunk);
    int ReadString(std::string& text) { return Read(text); }
    bool IsOpen() const { return m_port->IsOpen(); }
    int SetReceiveCallback(Callback callback, void* context);
    // 0 none, 1 RTS/CTS, 2 DSR/DTR, 3 XON/XOFF. COMM_OK also when closed.
    int SetFlowControl(int mode);
    int SetTimeouts(const CommTimeouts& timeouts);
    // The device path of the last Open.
    const std::string& PortPath() const { return m_portPath; }

protected:
    // Close for an Open of the same port that follows at once: the modem manager is not
    // given the device in between.
    int CloseLine();
    // Raised by the reader thread.
    virtual int OnReceived(size_t byteCount);
    virtual int OnSendComplete();
    // Asked on the reader thread after every read: true hands the bytes gathered so far
    // over at once instead of after the read interval. It must only look at `pending`.
    virtual bool EndsChunk(std::string_view pending) const;

private:
    int TryOpen(bool applyLineSettings);
    void ReaderLoop();
    void HandOver(std::string& incoming);
    void ClearQueues();
    bool PopSend(std::string& chunk);

    const int m_openRetryDelayMs;
    std::unique_ptr<ISerialPort> m_port;
    std::unique_ptr<IDeviceInhibit> m_inhibit;
    std::string m_portPath;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<uint32_t> m_readIntervalMs{kOpenReadIntervalMs};

    std::mutex m_callbackMutex;
    Callback m_receiveCallback = nullptr;
    void* m_callbackContext = nullptr;

    std::mutex m_sendMutex;
    CWDataQueue m_sendQueue;
    std::mutex m_receiveMutex;
    CWDataQueue m_receiveQueue;
};

}  // namespace vr31k

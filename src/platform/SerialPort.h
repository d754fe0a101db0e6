#pragma once
// A serial line to the card: the tty opened for this process alone with its line
// settings, and the waits the channel's reader thread needs. It knows nothing of
// chunks, queues or AT commands.
#include <cstddef>
#include <memory>
#include <string>

namespace vr31k {

enum class SerialOpenResult { Ok, OpenFailed, ConfigFailed };
enum class FlowControl { None = 0, RtsCts = 1, DsrDtr = 2, XonXoff = 3 };

struct SerialWaitResult {
    bool readable = false;  // bytes (or the end of the line) can be read
    bool writable = false;
    bool woken = false;     // Wake() was called since the last ClearWake()
    bool failed = false;    // the wait itself failed
};

class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Opens `path` exclusively (a port that another program holds fails: OpenFailed),
    // purges it and, with `applyLineSettings`, sets 115200 8N1, RTS/CTS, raw mode and
    // raises DTR. Pseudo-terminals are accepted (they have no modem lines).
    virtual SerialOpenResult Open(const std::string& path, bool applyLineSettings) = 0;
    virtual bool IsOpen() const = 0;
    virtual bool SetFlowControl(FlowControl mode) = 0;
    virtual bool Purge() = 0;
    virtual bool SetDtr(bool on) = 0;
    // Closes the device; false when the close reported an error.
    virtual bool Close() = 0;

    // Non-blocking transfers: > 0 bytes moved; 0 nothing possible now; -1 the line
    // ended (hang-up, unplug) or failed.
    virtual long Read(char* buffer, size_t size) = 0;
    virtual long Write(const char* data, size_t size) = 0;

    // Waits up to `timeoutMs` (-1: no limit) for input, for room to write when
    // `wantWrite`, or for Wake().
    virtual SerialWaitResult Wait(bool wantWrite, int timeoutMs) = 0;
    // Safe from any thread at any time during the object's life.
    virtual void Wake() = 0;
    virtual void ClearWake() = 0;
};

}  // namespace vr31k

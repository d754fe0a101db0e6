#pragma once
// The dial-up controller: the program's phonebook entries, dialling, the monitor thread
// that watches the card's modem for connections coming and going, hang-up, and the
// live counters of the connection.
//
// Threads: the owner's thread calls every operation; the monitor thread (StartMonitor
// to StopMonitor) adopts connections, handles link loss and monitor hang-ups. They share
// the members under m_mutex (handles, found connection, totals, entry name, connected,
// end time); the notice callback runs on the monitor thread after its writes, and the
// owner marshals it to its own thread.
#include "platform/DialupService.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vr31k {

inline constexpr int RAS_ENTRY_RECREATED = 901;
inline constexpr int RAS_ENTRY_DEVICE_CHANGED = 902;
inline constexpr int RAS_ERR_EMPTY_NAME = 903;
inline constexpr int RAS_ERR_NAME_TOO_LONG = 904;
inline constexpr int RAS_ERR_NO_MEMORY = 905;
inline constexpr int RAS_ERR_BINDINGS = 906;
inline constexpr int RAS_ERR_NO_MODEM = 907;
inline constexpr int RAS_ERR_NOT_CONNECTED = 908;

inline constexpr int RAS_NOTIFY_CONNECTED = 0;
inline constexpr int RAS_NOTIFY_DISCONNECTED = 1;
inline constexpr int RAS_NOTIFY_HUNGUP = 2;

inline constexpr const char* kCardModemName = "KORVANE VR31K Modem";
inline constexpr uint32_t kEntryOptions = 0x05A00318;
inline constexpr uint32_t kNetProtocolIp = 0x4;
inline constexpr uint32_t kFramingPpp = 0x1;
inline constexpr size_t kMaxListedEntries = 10;

using EntryGuid = std::array<uint8_t, 16>;

struct RasEndTime {
    enum Status { Valid, Invalid, Null };
    Status status = Null;
    std::tm local{};
};

class CWRasCtrl {
public:
    explicit CWRasCtrl(IDialupService& service);
    virtual ~CWRasCtrl();
    CWRasCtrl(const CWRasCtrl&) = delete;
    CWRasCtrl& operator=(const CWRasCtrl&) = delete;

    int Setup(const std::optional<std::string>& phonebookPath, const std::optional<std::string>& deviceName,
              int acceptAnyDevice);
    int SetPhonebookPath(const std::optional<std::string>& path);
    int SetDeviceName(const std::optional<std::string>& name);
    // The card's tty as the card lookup found it: the dial-up service's card modem.
    void SetCardPort(const std::string& port);
    int FindCardModem(int extended);

    using NoticeCallback = std::function<void(int notice)>;
    int StartMonitor(NoticeCallback notify);
    int StopMonitor();

    int IsConnected();
    // A connection over the card that is up now, whoever made it (the one the monitor
    // adopts when it starts).
    bool FindCardConnection(ConnectionInfo& out);
    // The first link of `connections` that is up over the card (over any device with
    // `acceptAnyDevice`): the rule FindCardConnection applies.
    static const ConnectionInfo* CardConnectionOf(const std::vector<ConnectionInfo>& connections,
                                                  int acceptAnyDevice);
    int Dial(const std::string& entryName, const std::optional<std::string>& userName,
             const std::optional<std::string>& password, const std::optional<std::string>& dialString,
             DialNotifier progress);
    // Directly: ends the connection and waits (bounded, with or without `wait`) until it
    // is gone; returns 638 when it did not go in time, and the connection stays active
    // so it can be tried again. Through the monitor: returns at once, notice 2 follows
    // and LastMonitorHangUpResult() tells how it went.
    int HangUp(bool throughMonitor, bool wait);
    int LastMonitorHangUpResult() const;
    int SampleStatistics();
    void StampEndTime();
    // Once the connection is recorded: the next one's end is stamped afresh.
    void ClearEndTime();

    // The wall clock the end time is stamped from (tests set their own before
    // StartMonitor).
    using WallClock = std::function<std::time_t()>;
    void SetWallClock(WallClock clock) { m_wallClock = std::move(clock); }

    int ValidateEntryName(const std::string& name, bool checkCharacters);
    int CreateEntry(const std::string& name, const std::optional<std::string>& userName,
                    const std::optional<std::string>& password, const std::optional<std::string>& dialString,
                    EntryGuid* id);
    int AdaptEntry(const std::string& name, int contextNumber, const std::optional<std::string>& deviceName,
                   EntryGuid* id);
    int SetEntryPhoneNumber(const std::string& name, const std::string& dialString);
    int GetEntryPhoneNumber(const std::string& name, std::string& out);
    int SetEntryCredentials(const std::string& name, const std::string& userName, const std::string& password);
    int GetEntryCredentials(const std::string& name, std::string& userName, std::string& password,
                            std::string& dialString);
    int EnumEntries(std::vector<std::string>& out, std::vector<EntryGuid>* ids);
    int RenameEntry(const std::string& oldName, const std::string& newName);
    int DeleteEntry(const std::string& name);
    int DeleteAllEntries();
    int DisableNetBindings(const std::string& name);

    // Live figures of the connection (read after the connected notice).
    std::string EntryName() const;
    uint64_t BytesSent() const;
    uint64_t BytesReceived() const;
    uint64_t DurationMs() const;
    RasEndTime EndTime() const;
    bool Connected() const;
    // The connection the monitor found (its interface and port), or none.
    ConnectionInfo FoundConnection() const;
    const std::string& PhonebookPath() const { return m_phonebookPath ? *m_phonebookPath : m_empty; }
    const std::string& DeviceName() const { return m_deviceName ? *m_deviceName : m_empty; }
    IDialupService& Service() { return m_service; }

private:
    static constexpr unsigned kWakeHangUp = 1;
    static constexpr unsigned kWakeQuit = 2;

    void MonitorThread();
    // `afterLoss`: the link lost in the same batch of changes still needs its end.
    void AdoptIfUp(bool afterLoss = false);
    void HandleLinkLoss();
    void ZeroTotals();  // m_mutex held
    void StampEndTimeLocked();  // m_mutex held
    void Notify(int notice);

    IDialupService& m_service;
    std::optional<std::string> m_phonebookPath;
    std::optional<std::string> m_deviceName;
    int m_acceptAnyDevice = 0;
    const std::string m_empty;
    WallClock m_wallClock = [] { return std::time(nullptr); };

    // Monitor plumbing: owner's thread only.
    std::unique_ptr<IConnectionWatch> m_watch;
    std::thread m_monitorThread;
    NoticeCallback m_notify;

    // Shared with the monitor thread.
    mutable std::mutex m_mutex;
    ConnHandle m_activeConnection = 0;
    ConnectionInfo m_foundConnection;
    uint64_t m_lastBytesSent = 0;
    uint64_t m_lastBytesReceived = 0;
    uint64_t m_lastDuration = 0;
    std::string m_entryName;
    uint64_t m_bytesSent = 0;
    uint64_t m_bytesReceived = 0;
    uint64_t m_durationMs = 0;
    RasEndTime m_endTime;
    // The end stamped (or kept) by the monitor for the link it just saw go, not yet
    // recorded: the one stamp a connection adopted in the same wake must not clear.
    bool m_endOfTheLoss = false;
    int m_connected = 0;
    int m_lastMonitorHangUp = 0;
};

}  // namespace vr31k

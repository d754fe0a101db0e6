#pragma once
// The dial-up service the dial-up controller works through: a phonebook of entries,
// dialling with progress notices, the connections present on the machine, their status
// and counters, a watch for connections coming and going, and hang-up.
//
// Results are the well-known dial-up error numbers (see DialupErrors below and
// docs/dialup.md for how each arises); 0 is success.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vr31k {

// pppd's `ipparam` on the links the utility dials: pppd's ip-down hook leaves those to
// the utility's own recording, so no link is counted twice.
inline constexpr const char* kOwnLinkParam = "vr31k-utility-dial";
// The pppd peer (/etc/ppp/peers/<name>) every dial of the utility calls.
inline constexpr const char* kPppdPeerName = "vr31k-utility";

namespace dialerr {
inline constexpr int kAccessDenied = 5;            // no right to run the dialler or open the port
inline constexpr int kInvalidHandle = 6;           // the connection is gone
inline constexpr int kInvalidName = 123;           // the phonebook cannot hold that entry name
inline constexpr int kAlreadyExists = 183;         // an entry of that name exists
inline constexpr int kBufferTooSmall = 603;
inline constexpr int kDeviceDoesNotExist = 608;    // no kernel PPP support
inline constexpr int kPortDisconnected = 619;      // the modem hung up
inline constexpr int kCannotOpenPhonebook = 621;   // no phonebook file yet
inline constexpr int kCannotLoadPhonebook = 622;   // unreadable or oversized file
inline constexpr int kEntryNotFound = 623;
inline constexpr int kCannotWritePhonebook = 624;
inline constexpr int kDisconnection = 628;         // the peer closed the link
inline constexpr int kUserDisconnection = 631;     // we ended it ourselves
inline constexpr int kInvalidSize = 632;           // a field longer than the service holds
inline constexpr int kPortNotAvailable = 633;      // port absent, locked or not openable
inline constexpr int kUnknown = 635;
inline constexpr int kRequestTimeout = 638;        // a hang-up that did not finish in time
inline constexpr int kFromDevice = 651;            // the modem answered ERROR
inline constexpr int kFileNotOpened = 657;         // the system dial-up setup is missing
inline constexpr int kNoConnection = 668;
inline constexpr int kLineBusy = 676;
inline constexpr int kNoAnswer = 678;              // no answer, NO CARRIER, dial timeout
inline constexpr int kNoDialtone = 680;
inline constexpr int kAuthenticationFailure = 691;
inline constexpr int kPppTimeout = 718;
inline constexpr int kPppNoProtocols = 720;
}  // namespace dialerr

// Dial states, as the progress notices report them.
namespace dialstate {
inline constexpr uint32_t kOpenPort = 0;
inline constexpr uint32_t kConnectDevice = 2;
inline constexpr uint32_t kDeviceConnected = 3;
inline constexpr uint32_t kAuthenticate = 5;
inline constexpr uint32_t kAuthenticated = 14;
inline constexpr uint32_t kConnected = 0x2000;
inline constexpr uint32_t kDisconnected = 0x2001;
}  // namespace dialstate

// Field limits of the phonebook (characters, terminator not counted).
inline constexpr size_t kMaxEntryNameLength = 256;
inline constexpr size_t kMaxPhoneNumberLength = 128;
inline constexpr size_t kMaxDeviceNameLength = 128;
inline constexpr size_t kMaxCredentialLength = 255;  // what pppd accepts for a name or secret

struct SubEntry {
    std::string deviceType;
    std::string deviceName;
    std::string phoneNumber;
};

struct EntryProperties {
    uint32_t options = 0;
    std::string deviceType;
    std::string deviceName;
    std::string phoneNumber;
    uint32_t netProtocols = 0;
    uint32_t framingProtocol = 0;
    std::array<uint8_t, 16> guid{};  // assigned by the service when the entry is created
    std::vector<SubEntry> subEntries;
};

struct DialParams {
    std::string entryName;
    std::string phoneNumber;  // empty: the entry's own number
    std::string userName;
    std::string password;
};

struct DialDevice {
    std::string type;  // "modem"
    std::string name;
    std::string port;  // the tty node
};

using ConnHandle = uint64_t;  // 0: none

struct ConnectionInfo {
    ConnHandle handle = 0;
    std::string entryName;  // empty for a connection made by another dialler
    std::string deviceType;
    std::string deviceName;  // empty when the device is not one the service knows
    std::string port;
    std::string interfaceName;
    int pid = 0;
    uint32_t state = dialstate::kOpenPort;
};

struct ConnectionStats {
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    uint64_t durationMs = 0;   // since the link came up, monotonic
    unsigned counterBits = 64; // width at which the byte counters wrap
};

// Progress of one dial: the state reached, or a non-zero error that ends it. Called on
// a thread of the service; the receiver marshals it to its own thread.
using DialNotifier = std::function<void(ConnHandle handle, uint32_t state, int error)>;

// Wakes a monitoring thread when connections appear, change or go, or when another
// thread asks it to (hang-up, quit).
class IConnectionWatch {
public:
    virtual ~IConnectionWatch() = default;
    struct Result {
        bool linksChanged = false;  // re-read the connections
        unsigned wakeBits = 0;      // the bits given to Wake since the last Wait
    };
    // Blocks until something happened; timeoutMs < 0 waits without limit.
    virtual Result Wait(int timeoutMs) = 0;
    // Thread-safe; the bits accumulate until Wait returns them.
    virtual void Wake(unsigned bits) = 0;
};

class IDialupService {
public:
    virtual ~IDialupService() = default;

    // Phonebook. 0 = the name is free; 183 it exists; 123 the service cannot hold it;
    // 621 no phonebook file yet (so the name is free).
    virtual int ValidateEntryName(const std::string& phonebook, const std::string& name) = 0;
    virtual int GetEntryProperties(const std::string& phonebook, const std::string& name,
                                   EntryProperties& out) = 0;
    // Creates the entry or rewrites it (its identifier and saved dial parameters kept).
    virtual int SetEntryProperties(const std::string& phonebook, const std::string& name,
                                   const EntryProperties& properties) = 0;
    virtual int GetEntryDialParams(const std::string& phonebook, const std::string& name,
                                   DialParams& out) = 0;
    virtual int SetEntryDialParams(const std::string& phonebook, const DialParams& params,
                                   bool removePassword) = 0;
    // Entry names in file order; a missing file lists none.
    virtual int EnumEntries(const std::string& phonebook, std::vector<std::string>& names) = 0;
    virtual int RenameEntry(const std::string& phonebook, const std::string& oldName,
                            const std::string& newName) = 0;
    virtual int DeleteEntry(const std::string& phonebook, const std::string& name) = 0;
    // One key in the entry's section, kept with the entry (bindings and the like).
    virtual int WriteEntryKey(const std::string& phonebook, const std::string& name,
                              const std::string& key, const std::string& value) = 0;

    // Devices: the registered ones first, then the serial modems the system shows.
    virtual void RegisterDevice(const DialDevice& device) = 0;
    virtual int EnumDevices(std::vector<DialDevice>& out) = 0;

    // Starts a dial; progress and the end of a failed dial come through `notifier`.
    virtual int Dial(const std::string& phonebook, const DialParams& params,
                     DialNotifier notifier, ConnHandle& out) = 0;
    virtual int EnumConnections(std::vector<ConnectionInfo>& out) = 0;
    // 0 with the state, or 6 when the handle no longer names a connection.
    virtual int GetConnectStatus(ConnHandle handle, uint32_t& state, int& error) = 0;
    virtual int GetConnectionStatistics(ConnHandle handle, ConnectionStats& out) = 0;
    // Ends the connection and waits, bounded, until its process and interface are gone:
    // 0 done, 638 it did not finish in time, 5 not ours to end.
    virtual int HangUp(ConnHandle handle) = 0;
    virtual std::unique_ptr<IConnectionWatch> Watch() = 0;

    // Words on why the last Dial or HangUp of this thread failed, for a log or the
    // command line; "" when there is nothing to add to the number.
    virtual std::string LastErrorDetail() const = 0;
};

}  // namespace vr31k

#include "cli/LinkRecord.h"

#include "accounting/UsageSpool.h"
#include "card/CardDetection.h"
#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"
#include "platform/DialupService.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k::cli {

namespace {

std::string Env(const LinkEndInput& in, const char* name) {
    const char* value = in.env(name);
    return value != nullptr ? value : "";
}

std::string Arg(const LinkEndInput& in, size_t i) { return i < in.args.size() ? in.args[i] : ""; }

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Whether the tty's USB device (or its interface's) carries the card's ids: the
// sysfs device of the tty and its ancestors, nearest first.
bool IsCardTty(const std::string& sysRoot, const std::string& tty) {
    const std::string name = tty.substr(tty.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return false;
    std::string device = CanonicalPath(sysRoot + "/class/tty/" + name + "/device");
    std::string interfaceNumber, vendor, product;
    for (int depth = 0; depth < 8 && device.size() > sysRoot.size(); ++depth) {
        std::string text;
        if (interfaceNumber.empty() && ReadWholeFile(device + "/bInterfaceNumber", 16, text)) {
            interfaceNumber = Trimmed(text);
        }
        if (ReadWholeFile(device + "/idVendor", 16, vendor) && ReadWholeFile(device + "/idProduct", 16, product)) {
            std::string id = "USB\\Vid_" + Trimmed(vendor) + "&Pid_" + Trimmed(product);
            if (!interfaceNumber.empty()) id += "&MI_" + interfaceNumber;
            return IsCardInstanceId(id, true);
        }
        device = ParentFolder(device);
    }
    return false;
}

// pppd's count: digits only, within a 64-bit integer (the record's own limits follow).
std::optional<long long> Count(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '-' || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

int RecordEndedLink(const LinkEndInput& in, std::ostream& err) {
    const std::string interfaceName = !Env(in, "IFNAME").empty() ? Env(in, "IFNAME") : Arg(in, 0);
    const std::string tty = !Env(in, "DEVICE").empty() ? Env(in, "DEVICE") : Arg(in, 1);
    // The utility records the links it dials itself.
    if (Arg(in, 5) == kOwnLinkParam) return 1;
    const std::string peer = Env(in, "CALL_FILE");
    if (peer != kPppdPeerName && !IsCardTty(in.sysRoot, tty)) return 1;

    const auto seconds = Count(Env(in, "CONNECT_TIME"));
    const auto sent = Count(Env(in, "BYTES_SENT"));
    const auto recv = Count(Env(in, "BYTES_RCVD"));
    if (!seconds || !sent || !recv) {
        err << "vr31k-link-record: pppd gave no readable connect time or byte counts for " << interfaceName
            << "; the link is not counted\n";
        return 2;
    }
    UsageRecord record;
    record.entry = !peer.empty() ? peer : !Env(in, "LINKNAME").empty() ? Env(in, "LINKNAME") : interfaceName;
    record.interfaceName = interfaceName;
    record.tty = tty;
    record.end = in.now;
    record.durationSeconds = *seconds;
    record.sent = *sent;
    record.recv = *recv;
    // A record that would not parse would only be kept aside at import: say so now.
    std::string problem;
    if (!ParseUsageRecord(FormatUsageRecord(record), problem)) {
        err << "vr31k-link-record: the link " << interfaceName << " cannot be recorded: " << problem << "\n";
        return 2;
    }
    const mode_t mode = SharedFileMode(in.dataFolder);
    // The spool shares as the folder does: setgid and the group's in the shared folder.
    const int spool = OpenSpoolFolder(in.dataFolder, true, (mode & S_IRWXG) != 0 ? 02770 : 0700);
    if (spool < 0) {
        err << "vr31k-link-record: cannot open the spool in " << in.dataFolder << ": " << FileErrorText(errno) << "\n";
        return 2;
    }
    const int written = WriteUsageRecord(spool, record, mode);
    close(spool);
    if (written != 0) {
        err << "vr31k-link-record: cannot write a usage record in " << in.dataFolder << ": " << FileErrorText(written)
            << "\n";
        return 2;
    }
    return 0;
}

}  // namespace vr31k::cli

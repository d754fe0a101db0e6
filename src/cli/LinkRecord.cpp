#include "cli/LinkRecord.h"

#include "accounting/UsageSpool.h"
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

// pppd's count: digits only, within a 64-bit integer (the record's own limits follow).
std::optional<long long> Count(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '-' || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

int RecordEndedLink(const PppdLinkInput& in, std::ostream& err) {
    const std::string interfaceName = in.InterfaceName();
    const std::string tty = in.Tty();
    // The utility records the links it dials itself.
    if (in.Arg(5) == kOwnLinkParam || !IsCardLink(in)) return 1;
    const std::string peer = in.Env("CALL_FILE");

    const auto seconds = Count(in.Env("CONNECT_TIME"));
    const auto sent = Count(in.Env("BYTES_SENT"));
    const auto recv = Count(in.Env("BYTES_RCVD"));
    if (!seconds || !sent || !recv) {
        err << "vr31k-link-record: pppd gave no readable connect time or byte counts for " << interfaceName
            << "; the link is not counted\n";
        return 2;
    }
    UsageRecord record;
    record.entry = !peer.empty() ? peer : !in.Env("LINKNAME").empty() ? in.Env("LINKNAME") : interfaceName;
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

#include "cli/FolderChanges.h"

#include "mainwnd/RemoteProtocol.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"

#include <chrono>

namespace vr31k::cli {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

FolderChanges::FolderChanges(const DataPaths& paths) : m_paths(paths), m_before(Take()) {}

FolderChanges::Picture FolderChanges::Take() const {
    const SettingsStore store(m_paths.settings);
    Picture picture{store.ReadDialup(), store.ReadLimit(), store.ReadUtility(), store.ReadPortName(), {}};
    const std::string names[] = {m_paths.phonebook, m_paths.credentials, m_paths.history, m_paths.history + "-wal",
                                 m_paths.history + "-journal"};
    // A file that is not there reads as all zeros.
    for (size_t i = 0; i < picture.files.size(); ++i) {
        if (lstat(names[i].c_str(), &picture.files[i]) != 0) picture.files[i] = {};
    }
    return picture;
}

DataChanges FolderChanges::Since() const {
    const Picture now = Take();
    DataChanges changes = 0;
    if (now.plan != m_before.plan) changes |= kChangedPlan;
    if (now.limit != m_before.limit) changes |= kChangedLimit;
    if (now.utility != m_before.utility) changes |= kChangedUtility;
    if (now.portName != m_before.portName) changes |= kChangedPort;
    for (size_t i = 0; i < now.files.size(); ++i) {
        if (!SameFile(now.files[i], m_before.files[i])) changes |= i < 2 ? kChangedEntries : kChangedHistory;
    }
    return changes;
}

void TellRunningUtility(DataChanges changes) {
    if (changes == 0) return;
    InstanceClient client;
    if (!client.Connect(InstanceLock(DefaultLockDir()).OwnSocketPath())) return;
    RemoteRequest request;
    request.verb = RemoteVerb::Changed;
    request.changes = changes;
    if (!client.Send(FormatRemoteRequest(request))) return;
    // The answer only says the notice arrived; the window applies it from its own loop.
    std::string reply;
    client.ReadLine(reply, std::chrono::seconds(2));
}

}  // namespace vr31k::cli

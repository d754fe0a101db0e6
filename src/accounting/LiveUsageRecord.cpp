#include "accounting/LiveUsageRecord.h"

#include "accounting/UsageSpool.h"
#include "common/AtomicFileWriter.h"
#include "common/ByteCount.h"
#include "common/UniqueFd.h"

#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr const char* kLiveSource = "live";

constexpr int64_t kSaveEverySeconds = 30;
constexpr int64_t kSaveEveryBytes = int64_t{1} << 20;
constexpr int64_t kSaveAtMostEverySeconds = 1;

}  // namespace

// Shared between the owner's thread and the saving thread, all under `mutex`; `file`
// orders the writes of the two threads, and `generation` lets the saving thread drop a
// save that Finish or Drop overtook.
struct LiveUsageRecord::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::mutex file;
    std::string folder;
    int ownerPid = 0;
    uint64_t ownerStart = 0;
    std::string name;  // the current connection's record; empty between connections
    uint64_t sequence = 0;
    uint64_t generation = 0;
    std::optional<UsageRecord> pending;
    int64_t lastSaveTime = 0;
    int64_t lastSaveBytes = 0;
    uint64_t saves = 0;
    int64_t lastWritten = 0;
    std::optional<UsageRecord> finished;  // the row's own figures, saved by Finish
    bool stop = false;
    std::thread saver;
    KeeperLock keeper;  // under `file`: taken at the first save

    ~State() {
        // Gone with this program: whatever records it leaves are a dead keeper's now.
        UniqueFd spool{OpenSpoolFolder(folder, false, 0)};
        keeper.Release(spool.fd);
    }

    // Under `file`: replaces the record `name` with `record`.
    bool Write(const std::string& recordName, const UsageRecord& record) {
        const mode_t mode = SharedFileMode(folder);
        UniqueFd spool{OpenSpoolFolder(folder, true, (mode & S_IRWXG) != 0 ? 02770 : 0700)};
        if (spool.fd < 0) return false;
        if (record.ownerPid != 0) keeper.Hold(spool.fd, ownerPid, ownerStart, mode);
        if (ReplaceUsageRecord(spool.fd, recordName, record, mode) != 0) return false;
        std::lock_guard lock(mutex);
        ++saves;
        lastWritten = record.end;
        return true;
    }

    void Run() {
        std::unique_lock lock(mutex);
        while (true) {
            wake.wait(lock, [this] { return stop || pending.has_value(); });
            if (stop) return;
            const UsageRecord record = *pending;
            pending.reset();
            const uint64_t taken = generation;
            const std::string recordName = name;
            lock.unlock();
            {
                std::lock_guard fileLock(file);
                bool current;
                {
                    std::lock_guard again(mutex);
                    current = taken == generation;
                }
                if (current) Write(recordName, record);
            }
            lock.lock();
        }
    }
};

LiveUsageRecord::LiveUsageRecord() : m_state(std::make_unique<State>()) {}

LiveUsageRecord::~LiveUsageRecord() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stop = true;
    }
    m_state->wake.notify_all();
    if (m_state->saver.joinable()) m_state->saver.join();
}

void LiveUsageRecord::Configure(std::string dataFolder, int ownerPid, uint64_t ownerStart) {
    std::lock_guard lock(m_state->mutex);
    m_state->folder = std::move(dataFolder);
    m_state->ownerPid = ownerPid;
    m_state->ownerStart = ownerStart;
    if (!m_state->saver.joinable()) m_state->saver = std::thread([state = m_state.get()] { state->Run(); });
}

void LiveUsageRecord::Update(const UsageRecord& figures, int64_t now) {
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    if (s.folder.empty()) return;
    const int64_t bytes = AddSaturating(figures.sent, figures.recv);
    if (s.name.empty()) {
        // A connection's first figures are on disk before its first tick ends: a kill
        // right after it came up still finds it counted.
        s.name = "live-" + std::to_string(s.ownerPid) + "-" + std::to_string(++s.sequence) + "-" +
                 std::to_string(s.ownerStart) + ".rec";
        s.lastSaveTime = now;
        s.lastSaveBytes = bytes;
        UsageRecord record = figures;
        record.source = kLiveSource;
        record.ownerPid = s.ownerPid;
        record.ownerStart = s.ownerStart;
        const std::string recordName = s.name;
        ++s.generation;  // nothing older is pending, and nothing may overtake this save
        lock.unlock();
        std::lock_guard fileLock(s.file);
        s.Write(recordName, record);
        return;
    }
    const int64_t since = now - s.lastSaveTime;
    // A clock set back counts as a due save, never as a long wait.
    const bool due = since >= kSaveEverySeconds || since < 0 || bytes - s.lastSaveBytes >= kSaveEveryBytes;
    if (!due || (since >= 0 && since < kSaveAtMostEverySeconds)) return;
    UsageRecord record = figures;
    record.source = kLiveSource;
    record.ownerPid = s.ownerPid;
    record.ownerStart = s.ownerStart;
    s.pending = std::move(record);
    s.lastSaveTime = now;
    s.lastSaveBytes = bytes;
    s.wake.notify_one();
}

bool LiveUsageRecord::Finish(const UsageRecord& figures) {
    State& s = *m_state;
    std::string recordName;
    UsageRecord record = figures;
    {
        std::lock_guard lock(s.mutex);
        if (s.folder.empty() || s.name.empty()) return false;
        s.pending.reset();
        ++s.generation;
        recordName = s.name;
        record.source = kLiveSource;
        record.final = true;
        record.ownerPid = s.ownerPid;
        record.ownerStart = s.ownerStart;
        s.finished = record;
    }
    std::lock_guard fileLock(s.file);
    return s.Write(recordName, record);
}

void LiveUsageRecord::Drop() {
    State& s = *m_state;
    std::string recordName;
    {
        std::lock_guard lock(s.mutex);
        s.pending.reset();
        ++s.generation;
        recordName.swap(s.name);
        s.finished.reset();
    }
    if (recordName.empty()) return;
    std::lock_guard fileLock(s.file);
    UniqueFd spool{OpenSpoolFolder(s.folder, false, 0)};
    if (spool.fd >= 0 && unlinkat(spool.fd, recordName.c_str(), 0) == 0) fsync(spool.fd);
}

void LiveUsageRecord::Keep() {
    State& s = *m_state;
    std::string recordName;
    std::optional<UsageRecord> finished;
    {
        std::lock_guard lock(s.mutex);
        s.pending.reset();
        ++s.generation;
        recordName.swap(s.name);
        finished.swap(s.finished);
    }
    if (recordName.empty() || !finished) return;
    // Let go of it: a record without a keeper is imported by the next open, this
    // program's own included (its history may open later).
    finished->ownerPid = 0;
    finished->ownerStart = 0;
    std::lock_guard fileLock(s.file);
    s.Write(recordName, *finished);
}

int64_t LiveUsageRecord::LastSaved() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->name.empty() ? 0 : m_state->lastWritten;
}

uint64_t LiveUsageRecord::Saves() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->saves;
}

}  // namespace vr31k

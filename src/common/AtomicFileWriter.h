#pragma once
// Whole-file replacement that a crash or a full disk can never leave half-written:
// the new content goes to a temporary file in the same folder, is flushed to disk,
// and only then renamed over the old file. A link at the file's name is replaced, never
// followed. Temporary files that earlier writers left when they were killed are removed
// at the next write (a writer locks its own, so a living one's is never taken).
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vr31k {

class AtomicFileWriter {
public:
    // `mode` is given to the new file (umask does not apply).
    AtomicFileWriter(std::string path, mode_t mode);
    ~AtomicFileWriter();  // an uncommitted temporary file is removed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open();
    bool Write(std::string_view data);
    // fsync, rename over the target, fsync the folder. False leaves the old file as it was.
    bool Commit();
    int Error() const { return m_errno; }  // errno of the first failure

    // Leaves the temporary file behind without committing, as a crash would (tests).
    void AbandonForTest();

private:
    void Discard();
    std::string m_path;
    std::string m_tempName;  // in the folder
    mode_t m_mode;
    int m_dirFd = -1;
    int m_fd = -1;
    int m_errno = 0;
};

// Convenience: Open + Write + Commit. Returns 0 or an errno value.
int WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode);

// The mode a shared data file gets in `folder`: read and write for the owner, and for
// the group only when the folder gives its group both (0660 in the shared folder, 0600
// in a private one, 0750 and 0755 included). Others never get any access.
mode_t SharedFileMode(const std::string& folder);

}  // namespace vr31k

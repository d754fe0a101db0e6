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

// Whether the rename may replace a file already at the name.
enum class Overwrite { Replace, Never };

class AtomicFileWriter {
public:
    // `mode` is given to the new file (umask does not apply).
    AtomicFileWriter(std::string path, mode_t mode);
    // Folder-relative: `name` in the folder open at `dirFd` (duplicated; the caller keeps
    // its own). Temporary files are ".<tempBase>.XXXXXX" (the name itself when empty):
    // writers of many names share one base, so a killed one's temporary is found. With
    // Overwrite::Never a name already taken stays as it is and Commit fails with EEXIST.
    AtomicFileWriter(int dirFd, std::string name, mode_t mode, Overwrite overwrite = Overwrite::Replace,
                     std::string tempBase = {});
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
    std::string m_path;      // a path, or a name in m_parentFd's folder
    std::string m_tempBase;
    std::string m_tempName;  // in the folder
    mode_t m_mode;
    Overwrite m_overwrite = Overwrite::Replace;
    int m_parentFd = -1;     // the folder-relative writer's folder
    int m_dirFd = -1;
    int m_fd = -1;
    int m_errno = 0;
};

// Convenience: Open + Write + Commit. Returns 0 or an errno value.
int WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode);
// The same, folder-relative (see the second constructor).
int WriteFileAt(int dirFd, const std::string& name, std::string_view data, mode_t mode,
                Overwrite overwrite = Overwrite::Replace, const std::string& tempBase = {});

// `length` random letters and digits, for a file name nobody has.
std::string RandomNamePart(size_t length);

// The mode a shared data file gets in `folder`: read and write for the owner, and for
// the group only when the folder gives its group both (0660 in the shared folder, 0600
// in a private one, 0750 and 0755 included). Others never get any access.
mode_t SharedFileMode(const std::string& folder);

}  // namespace vr31k

#pragma once
// Small file-system helpers the core needs, kept apart from the Linux calls behind them.
#include <cerrno>
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace vr31k {

// What is at a name, the name itself (a link is not followed).
struct FileStatus {
    bool exists = false;
    bool regular = false;   // a regular file (not a link, folder, device or pipe)
    bool link = false;      // a symbolic link
    bool writable = false;  // a regular file this process may write
    mode_t mode = 0;        // permission bits
    nlink_t links = 0;
};

FileStatus StatFile(const std::string& path);

// errno for a name that is there but is not a regular file (a folder, device, pipe or
// socket); a link at the name gives ELOOP.
inline constexpr int kNotRegularFile = EINVAL;
// Opens the regular file at `path` (open flags, O_CREAT allowed) relative to its
// folder, without following a link at its name, without blocking on a pipe, and checks
// with fstat after the open that it is a regular file. The descriptor (close-on-exec,
// blocking), or -1 with errno (ELOOP for a link, kNotRegularFile).
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);
// The problem with what is at `path` for a file the program reads and writes in place:
// empty when nothing is there or one regular file with a single name; else a text such
// as "it is a symbolic link, which is never followed".
std::string UnsafeFileProblem(const std::string& path);
// Why a file could not be used, for messages: strerror, with a link and a non-file
// said plainly.
std::string FileErrorText(int error);

enum class ReadResult { Ok, Missing, TooLarge, NotRegular, Failed };
// Reads at most `maxBytes` of the regular file at `path` (opened as OpenRegularFile
// does); `out` is empty unless Ok.
ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out);
// (errno says why for NotRegular and Failed.)
// ReadRegularFile() == Ok.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out);
// The folder part of a path, without a trailing slash ("." for a bare name).
std::string ParentFolder(const std::string& path);
bool FolderExists(const std::string& path);
// The path with every symbolic link resolved (a port given through a link names its
// device); the path itself when it cannot be resolved.
std::string CanonicalPath(const std::string& path);

// Creates `path` and its missing parents, each new one with `mode` (less the umask);
// true when the folder exists afterwards.
bool MakeFolderPath(const std::string& path, mode_t mode);

}  // namespace vr31k

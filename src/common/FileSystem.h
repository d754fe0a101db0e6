#pragma once
// Small file-system helpers the core needs, kept apart from the Linux calls behind them.
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace vr31k {

struct FileStatus {
    bool exists = false;
    bool writable = false;  // by this process
    mode_t mode = 0;        // permission bits
};

FileStatus StatFile(const std::string& path);
// Reads at most `maxBytes`; false when the file is absent, unreadable or larger.
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

#pragma once
// File operations the accounting files need beyond FileSystem.h: reading a file's head,
// setting a file's mode, and moving a file aside without overwriting anything.
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace vr31k {

// Reads at most `maxBytes` from the start of a regular file (a longer file is not an
// error). False when the file is absent or unreadable.
bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& out);
// chmod; false on failure.
bool SetFileMode(const std::string& path, mode_t mode);
// Renames `from` to `to` only when `to` does not exist yet. 0 or an errno value
// (EEXIST when `to` is taken).
int RenameNoReplace(const std::string& from, const std::string& to);
// Removes a file; a file that is already gone counts as removed.
bool RemoveFileIfPresent(const std::string& path);

}  // namespace vr31k

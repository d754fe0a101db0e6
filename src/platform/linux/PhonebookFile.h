#pragma once
// The phonebook file: one INI section per entry, named after it, in the order the
// entries were made. Each use reads the file afresh and writes it back whole and
// atomically, under the data folder's lock (FolderLock) held from Load to the object's
// end, so two programs sharing it (the window and the command line) neither see half a
// file nor lose each other's changes. Unknown keys and lines are kept.
#include "common/FolderLock.h"
#include "common/IniFile.h"
#include "platform/DialupService.h"

#include <optional>
#include <string>
#include <vector>

namespace vr31k {

class PhonebookFile {
public:
    explicit PhonebookFile(std::string path) : m_path(std::move(path)) {}
    ~PhonebookFile();
    PhonebookFile(const PhonebookFile&) = delete;
    PhonebookFile& operator=(const PhonebookFile&) = delete;

    // 0, 621 when the file does not exist, 622 when it cannot be read (too large, not a
    // regular file, or the folder's lock stayed taken).
    int Load();
    // 0 or 624.
    int Save();

    std::vector<std::string> Entries() const { return m_ini.Sections(); }
    bool Has(const std::string& name) const;
    int Read(const std::string& name, EntryProperties& out) const;
    // Creates or rewrites the entry's properties; other keys of the section stay.
    void Write(const std::string& name, const EntryProperties& properties);
    int ReadDialParams(const std::string& name, DialParams& out) const;
    void WriteDialParams(const DialParams& params, bool removePassword);
    void SetKey(const std::string& name, const std::string& key, const std::string& value);
    bool Rename(const std::string& oldName, const std::string& newName);
    bool Remove(const std::string& name);

private:
    std::string m_path;
    IniFile m_ini;
    std::optional<FolderLock> m_lock;
};

// Whether the file can hold `name` as a section name: 1 to 256 characters, no control
// characters, no square brackets, no blank at either end.
bool IsStorableEntryName(const std::string& name);
// Whether a value fits in one line of the file as it is (no control characters, no
// blank at either end) and within `maxLength`.
bool IsStorableValue(const std::string& value, size_t maxLength);

}  // namespace vr31k
